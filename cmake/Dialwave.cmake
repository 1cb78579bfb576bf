# Shared build settings for every target of the project.

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(DW_WINDOWS ON)
else()
  set(DW_WINDOWS OFF)
endif()

set(DW_WARNINGS -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wno-missing-field-initializers)

if(DW_WINDOWS)
  # One self-contained i686 executable: the C++ runtime linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Subscribers download the program over GPRS: what nothing calls stays out.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  add_compile_definitions(UNICODE _UNICODE)
elseif(DW_SANITIZE)
  foreach(s IN LISTS DW_SANITIZE)
    add_compile_options(-fsanitize=${s})
    add_link_options(-fsanitize=${s})
  endforeach()
  add_compile_options(-fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

# dw_defaults(target): warnings as errors and the project's include root.
function(dw_defaults target)
  target_compile_options(${target} PRIVATE ${DW_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# The Wine harness every Windows test runs through (see scripts/wine-run).
set(DW_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run)
set(DW_GENERATIONS win98 winme win2k winxp)
# Vista to 11, as Wine plays Windows 7 and Windows 10.
set(DW_NT6_GENERATIONS win7 win10)

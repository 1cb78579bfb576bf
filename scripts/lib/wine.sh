# Wine harness, sourced by scripts and tests. Everything Wine touches stays
# under $DW_BUILD_ROOT/wine: per architecture (win32 for i686 programs, win64
# for x86_64 ones) one base prefix made once, and a copy of it per Windows
# generation ("win98", "winme", "win2k", "winxp", "win7", "win10"; "default"
# keeps whatever this Wine plays by default)
# and per kind: "-x..." (screen tests) and "-run" (scripts/run) draw on
# $DISPLAY, the others are headless with Wine's null graphics driver.

# The Windows build whose programs Wine can run here: the i686 product where
# the kernel runs 32-bit code, else the x86_64 build of the same sources.
dw_runnable_build() {
  if dw_wine_can_run win32; then echo win32; else echo win64; fi
}

DW_SOURCE_DIR=${DW_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
DW_BUILD_ROOT=${DW_BUILD_ROOT:-$DW_SOURCE_DIR/build}
DW_WINE_ROOT=$DW_BUILD_ROOT/wine

# The loader binary for an architecture. Debian's "wine" wrapper always picks
# the 32-bit loader when it is installed, even where it cannot run.
dw_wine_loader() {
  case $1 in
    win32) echo /usr/lib/wine/wine ;;
    win64) echo /usr/lib/wine/wine64 ;;
  esac
}

# Can this machine run Wine for that architecture? (A kernel without 32-bit
# support refuses the 32-bit loader with "Exec format error".)
dw_wine_can_run() {
  local loader
  loader=$(dw_wine_loader "$1")
  [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
}

# The architecture of a Windows program, from its PE header.
dw_pe_arch() {
  local pe machine
  pe=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 1
  machine=$(od -An -t x2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')
  case $machine in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}

# dw_wine_env ARCH NAME: exports the environment for prefix NAME.
dw_wine_env() {
  local arch=$1 name=$2
  export WINEDEBUG=-all WINEARCH=$arch
  export WINEPREFIX=$DW_WINE_ROOT/$name
  export WINELOADER DW_WINE DW_WINE_LOADER
  WINELOADER=$(dw_wine_loader "$arch")
  DW_WINE_LOADER=$WINELOADER
  DW_WINE=$WINELOADER
  # The 9x generations play Russian systems (ANSI code page 1251); the NT
  # ones keep the machine's, which shows that their texts need none.
  case $name in
    *-win98 | *-win98-* | *-winme | *-winme-*) DW_WINE=$DW_SOURCE_DIR/scripts/lib/wine-cp1251 ;;
  esac
  if [ -x /usr/lib/wine/wineserver64 ]; then
    export WINESERVER=/usr/lib/wine/wineserver64
  else
    export WINESERVER=/usr/lib/wine/wineserver32
  fi
  # HOME and TMPDIR inside the build: the prefix's Desktop links to $HOME and
  # the wineserver socket lives under $TMPDIR.
  export HOME=$DW_WINE_ROOT/home TMPDIR=$DW_WINE_ROOT/tmp
  # rasapi32=n,b: the project's simulator replaces Wine's stub once installed.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;rasapi32=n,b"
  mkdir -p "$HOME" "$TMPDIR"
}

# Generation name -> Wine's version setting ("" keeps Wine's default). Named
# even where it is today's default, so that another Wine plays the same
# system. Windows 10 reports itself as 6.2 to a program without a manifest.
dw_wine_version_of() {
  case $1 in
    win98 | winme | win2k | winxp | win7 | win10) echo "$1" ;;
    default) echo "" ;;
    *) echo "unknown Windows generation '$1'" >&2; return 1 ;;
  esac
}

dw_wine_make_base() {
  local arch=$1
  local base=$DW_WINE_ROOT/$arch-base
  [ -f "$base/.dw-ready" ] && return 0
  rm -rf "$base"
  dw_wine_env "$arch" "$arch-base"
  timeout 300 "$DW_WINE" wineboot -i >/dev/null 2>&1
  # The registry reaches the disk only when the wineserver ends.
  timeout 60 "$WINESERVER" -w || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Wine could not create a $arch prefix in $WINEPREFIX" >&2
    return 1
  fi
  # Debian's Wine does not find its own fonts; without them Tahoma and
  # MS Sans Serif silently become Liberation Sans.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  touch "$base/.dw-ready"
}

# dw_wine_copy_base BASE DIR: a prefix that shares the base's program files
# (DLLs, executables, fonts, code pages: most of its 590 MB for i686, 1.3 GB
# for x86_64) through hard links, so that the many prefixes of a test run fit
# on a small disk.
# Whatever may be written in place gets a copy of its own, or the write would
# reach the base and every prefix: the registry files (the wineserver writes
# a file with more than one link in place), ini files and every other text,
# and the system's rasapi32.dll, which the simulator and tests replace.
dw_wine_copy_base() {
  local base=$1 dir=$2 f
  if ! cp -a --link "$base" "$dir" 2>/dev/null; then
    # A file system without hard links: a whole copy, as large as the base.
    rm -rf "$dir"
    cp -a "$base" "$dir"
    return
  fi
  find "$dir" -type f -links +1 \( -iname rasapi32.dll -o ! \( -iname '*.dll' \
    -o -iname '*.exe' -o -iname '*.nls' -o -iname '*.fon' -o -iname '*.ttf' \
    -o -iname '*.sys' -o -iname '*.drv' -o -iname '*.vxd' -o -iname '*.ocx' \
    -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' -o -iname '*.msstyles' \) \) \
    -print0 | while IFS= read -r -d '' f; do
    cp -p "$f" "$f.dw-own" && mv -f "$f.dw-own" "$f" || return 1
  done
}

# dw_wine_prefix ARCH GEN [KIND]: makes sure the prefix exists and exports its
# environment. Kinds "x..." (screen tests: "x", "xcontrols", ...) and "run"
# (scripts/run) draw on $DISPLAY; every other kind ("" or a test's own name)
# is headless, with the null graphics driver. A test that starts programs or
# changes a prefix uses a kind of its own, so tests running side by side
# never meet in one wineserver.
dw_wine_prefix() {
  local arch=$1 gen=$2 screen=${3:-}
  local name=$arch-$gen${screen:+-$screen}
  local dir=$DW_WINE_ROOT/$name
  mkdir -p "$DW_WINE_ROOT"
  if [ ! -f "$dir/.dw-ready" ]; then
    (
      flock 9
      if [ ! -f "$dir/.dw-ready" ]; then
        dw_wine_make_base "$arch" || exit 1
        rm -rf "$dir"
        dw_wine_copy_base "$DW_WINE_ROOT/$arch-base" "$dir" || exit 1
        rm -f "$dir/.dw-ready"
        dw_wine_env "$arch" "$name"
        local version
        version=$(dw_wine_version_of "$gen") || exit 1
        if [ -n "$version" ]; then
          "$DW_WINE" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1 || exit 1
        fi
        if [ "${screen#x}" = "$screen" ] && [ "$screen" != run ]; then
          "$DW_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || exit 1
        fi
        timeout 60 "$WINESERVER" -w || true
        touch "$dir/.dw-ready"
      fi
    ) 9>"$DW_WINE_ROOT/.lock" || return 1
  fi
  dw_wine_env "$arch" "$name"
}

# Ends every wineserver of the harness (and with it every Wine process).
dw_wine_kill_all() {
  local d server=/usr/lib/wine/wineserver64
  [ -x "$server" ] || server=/usr/lib/wine/wineserver32
  for d in "$DW_WINE_ROOT"/*/; do
    [ -f "$d/system.reg" ] || continue
    WINEPREFIX=${d%/} TMPDIR=$DW_WINE_ROOT/tmp timeout 20 "$server" -k >/dev/null 2>&1 || true
  done
}

# dw_xvfb_start: starts a private Xvfb on a free display, exports DISPLAY and
# DW_XVFB_PID. The display number comes from Xvfb itself (-displayfd).
dw_xvfb_start() {
  local numfile i
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  DW_XVFB_PID=$!
  for i in $(seq 100); do
    [ -s "$numfile" ] && break
    sleep 0.1
  done
  if [ ! -s "$numfile" ]; then
    echo "Xvfb did not start" >&2
    rm -f "$numfile"
    return 1
  fi
  export DISPLAY=:$(tr -d '[:space:]' <"$numfile")
  export DW_XVFB_PID
  rm -f "$numfile"
}

dw_xvfb_stop() {
  [ -n "${DW_XVFB_PID:-}" ] && kill "$DW_XVFB_PID" 2>/dev/null
  DW_XVFB_PID=
}

# dw_wait_visible_window NAME_REGEX SECONDS: prints the X id of the first
# visible window whose title matches, waiting up to SECONDS.
dw_wait_visible_window() {
  local pattern=$1 seconds=$2 i id
  for i in $(seq $((seconds * 5))); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# dw_screenshot FILE: the whole X screen as PNG.
dw_screenshot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1"
}

# dw_pixel FILE X Y: the colour at (X, Y) as RRGGBB.
dw_pixel() {
  /usr/bin/convert "$1" -format '%[hex:p{'"$2"','"$3"'}]' info: 2>/dev/null | cut -c1-6
}

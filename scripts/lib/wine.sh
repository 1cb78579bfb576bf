# Wine harness, sourced by scripts and tests. Everything Wine touches stays
# under $DW_BUILD_ROOT/wine: one 32-bit base prefix made once, and a copy of it
# per Windows generation ("win98", "winme", "win2k", "winxp", "win7" = Wine's
# default) and per kind: headless copies use Wine's null graphics driver,
# "-x" copies draw on $DISPLAY.

DW_SOURCE_DIR=${DW_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
DW_BUILD_ROOT=${DW_BUILD_ROOT:-$DW_SOURCE_DIR/build}
DW_WINE_ROOT=$DW_BUILD_ROOT/wine

# dw_wine_env PREFIX_NAME: exports the environment for that prefix.
dw_wine_env() {
  local name=$1
  export WINEDEBUG=-all WINEARCH=win32
  export WINEPREFIX=$DW_WINE_ROOT/$name
  # HOME and TMPDIR inside the build: the prefix's Desktop links to $HOME and
  # the wineserver socket lives under $TMPDIR.
  export HOME=$DW_WINE_ROOT/home TMPDIR=$DW_WINE_ROOT/tmp
  # rasapi32=n: the project's simulator replaces Wine's stub once installed.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;rasapi32=n,b"
  mkdir -p "$HOME" "$TMPDIR"
}

# Generation name -> Wine's version setting ("" keeps Wine's default).
dw_wine_version_of() {
  case $1 in
    win98 | winme | win2k | winxp) echo "$1" ;;
    win7 | default) echo "" ;;
    *) echo "unknown Windows generation '$1'" >&2; return 1 ;;
  esac
}

dw_wine_make_base() {
  local base=$DW_WINE_ROOT/base
  [ -f "$base/.dw-ready" ] && return 0
  rm -rf "$base"
  dw_wine_env base
  timeout 300 wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
  # Debian's Wine does not find its own fonts; without them Tahoma and
  # MS Sans Serif silently become Liberation Sans.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  timeout 60 wineserver -w || true
  touch "$base/.dw-ready"
}

# dw_wine_prefix GEN [x]: makes sure the prefix exists, exports its environment.
dw_wine_prefix() {
  local gen=$1 screen=${2:-}
  local name=$gen${screen:+-x}
  local dir=$DW_WINE_ROOT/$name
  mkdir -p "$DW_WINE_ROOT"
  if [ ! -f "$dir/.dw-ready" ]; then
    (
      flock 9
      if [ ! -f "$dir/.dw-ready" ]; then
        dw_wine_make_base || exit 1
        rm -rf "$dir"
        cp -a "$DW_WINE_ROOT/base" "$dir"
        rm -f "$dir/.dw-ready"
        dw_wine_env "$name"
        local version
        version=$(dw_wine_version_of "$gen") || exit 1
        [ -n "$version" ] && wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
        [ -z "$screen" ] && wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        timeout 60 wineserver -w || true
        touch "$dir/.dw-ready"
      fi
    ) 9>"$DW_WINE_ROOT/.lock" || return 1
  fi
  dw_wine_env "$name"
}

# Ends every wineserver of the harness (and with it every Wine process).
dw_wine_kill_all() {
  local d
  for d in "$DW_WINE_ROOT"/*/; do
    [ -f "$d/system.reg" ] || continue
    WINEPREFIX=${d%/} TMPDIR=$DW_WINE_ROOT/tmp timeout 20 wineserver -k >/dev/null 2>&1 || true
  done
}

# dw_xvfb_start: starts a private Xvfb on a free display, exports DISPLAY and
# DW_XVFB_PID. The display number comes from Xvfb itself (-displayfd).
dw_xvfb_start() {
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  DW_XVFB_PID=$!
  local i
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

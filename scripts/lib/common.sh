# Shared by the project's scripts.
set -euo pipefail
DW_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export DW_SOURCE_DIR
cd "$DW_SOURCE_DIR"

dw_say() { printf '\n== %s\n' "$*"; }

# dw_start_update_server FILE: starts the demo APN update server on a free
# loopback port and exports DIALWAVE_UPDATE_SERVER (host:port) and
# DW_UPDATE_SERVER_PID.
dw_start_update_server() {
  local file=$1 i
  rm -f "$file"
  mkdir -p "$(dirname "$file")"
  python3 "$DW_SOURCE_DIR/tools/update-server/serve.py" --port-file "$file" >/dev/null 2>&1 &
  DW_UPDATE_SERVER_PID=$!
  for i in $(seq 100); do
    [ -s "$file" ] && break
    sleep 0.1
  done
  if [ ! -s "$file" ]; then
    echo "the demo update server did not start" >&2
    return 1
  fi
  export DIALWAVE_UPDATE_SERVER DW_UPDATE_SERVER_PID
  DIALWAVE_UPDATE_SERVER=$(tr -d '[:space:]' <"$file")
}

dw_stop_update_server() {
  [ -n "${DW_UPDATE_SERVER_PID:-}" ] && kill "$DW_UPDATE_SERVER_PID" 2>/dev/null
  DW_UPDATE_SERVER_PID=
}

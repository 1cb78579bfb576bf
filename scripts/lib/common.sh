# Shared by the project's scripts.
set -euo pipefail
DW_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export DW_SOURCE_DIR
cd "$DW_SOURCE_DIR"

dw_say() { printf '\n== %s\n' "$*"; }

# What the checks of programs on a desktop under Wine start from, sourced by them: bash that stops on
# no failure (each check counts its own), the project's root, and Wine's and the desktop's helpers.
set -uo pipefail
root=$(readlink -f "$(dirname "${BASH_SOURCE[0]}")/../..")
source "$root/tests/windows/wine.sh"
source "$root/tests/support/desktop.sh"

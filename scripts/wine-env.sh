# Sourced by the scripts that run Wine: where the Wine tests run the 64-bit build, "wine" must be the
# 64-bit loader (scripts/wine64-shim). Sets MIRELO_WINE_TARGET for the caller.
MIRELO_WINE_TARGET=$("$(dirname "${BASH_SOURCE[0]}")/windows-target.sh")
export MIRELO_WINE_TARGET
if [ "$MIRELO_WINE_TARGET" = win64 ]; then
    PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-shim:$PATH"
    export PATH
fi

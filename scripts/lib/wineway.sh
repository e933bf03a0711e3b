# Sourced by the set-up, test, demo and benchmark scripts: decides once per run which way the
# Windows side runs on this host, and sets up Wine for it.
#
#   32-bit way: the i686 build (the program that ships) and its tests under the 32-bit Wine loader.
#   64-bit way: for hosts that cannot run 32-bit programs at all (32-bit emulation switched off in the
#               kernel: every i386 program, the 32-bit Wine loader among them, fails with "Exec format
#               error"). The tests run on an x86_64 build of the same sources under the 64-bit loader,
#               in a prefix of their own; the i686 program is still built, and checked as a file.
# TRESK_WIN64=1 forces the 64-bit way on a host that could run both.
#
# After tresk_choose_way:
#   TRESK_WAY        32 or 64
#   TRESK_WAY_LINE   the one line that says which way the run goes and why
#   TRESK_WIN_TREE   build subfolder of the Windows tree whose tests run (win or win64)
#   TRESK_TOOLCHAIN  its CMake toolchain file
#   TRESK_PREFIX     Wine prefix folder name inside the build folder (wineprefix or wineprefix64)
# tresk_wine_env BUILD exports WINEPREFIX and the Wine settings, and in the 64-bit way puts the
# 64-bit loader first on PATH under the names "wine" and "wine-stable".

TRESK_ROOT=${TRESK_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}

# True when this host starts a 32-bit (i386) Linux program: a 93-byte static ELF that only exits 0.
tresk_can_run_i386() {
  local probe status=0
  probe=$(mktemp "${TMPDIR:-/tmp}/tresk-i386-probe.XXXXXX") || return 1
  local hex=7f454c46010101000000000000000000020003000100000054800408340000000000000000000000
  hex+=340020000100000000000000010000000000000000800408008004085d0000005d000000050000000010
  hex+=0000b80100000031dbcd80
  # shellcheck disable=SC2059
  printf "$(printf '%s' "$hex" | sed 's/../\\x&/g')" > "$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}

tresk_choose_way() {
  if [ "${TRESK_WIN64:-0}" = "1" ]; then
    TRESK_WAY=64
    TRESK_WAY_LINE="Windows side: 64-bit way (forced by TRESK_WIN64=1): the x86_64 build runs under wine64"
  elif tresk_can_run_i386; then
    TRESK_WAY=32
    TRESK_WAY_LINE="Windows side: 32-bit way (this host runs 32-bit programs): the i686 build runs under wine"
  else
    TRESK_WAY=64
    TRESK_WAY_LINE="Windows side: 64-bit way (this host cannot run 32-bit programs): the x86_64 build runs under wine64"
  fi
  if [ "$TRESK_WAY" = 64 ]; then
    TRESK_WIN_TREE=win64
    TRESK_TOOLCHAIN="$TRESK_ROOT/cmake/mingw-w64-x86_64.cmake"
    TRESK_PREFIX=wineprefix64
  else
    TRESK_WIN_TREE=win
    TRESK_TOOLCHAIN="$TRESK_ROOT/cmake/mingw-w64-i686.cmake"
    TRESK_PREFIX=wineprefix
  fi
  export TRESK_WAY TRESK_WIN_TREE TRESK_PREFIX
}

tresk_wine_env() {  # $1: build folder (absolute)
  export WINEPREFIX="$1/$TRESK_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$TRESK_WAY" = 64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    case ":$PATH:" in
      *":$TRESK_ROOT/scripts/wine64:"*) ;;
      *) export PATH="$TRESK_ROOT/scripts/wine64:$PATH" ;;
    esac
  fi
}

# Configures a Windows tree: $1 build folder, $2 subfolder, $3 toolchain file.
tresk_configure_windows() {
  cmake -S "$TRESK_ROOT" -B "$1/$2" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$3" -DCMAKE_BUILD_TYPE=Release \
        -DTRESK_WINEPREFIX="$1/$TRESK_PREFIX"
}

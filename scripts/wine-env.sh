# How the project's Windows programs meet Wine; sourced (lib.sh sources it), never run.

# The Wine prefix and the run state (server and display) that belong to a Windows build tree.
wine_prefix_name=wineprefix
wine_state_name=wine-state

# Exports the environment of every Wine run in PREFIX: 32-bit, quiet, without the .NET and HTML
# engines, without the crash debugger (a program that crashes ends, instead of waiting in the
# debugger until a time limit strikes), the Japanese locale (Wine takes the ANSI code page, 932,
# from it) and a POSIX time zone, which Linux and the Windows runtime read the same way.
wine_env() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export TZ=${TZ:-JST-9}
}

# The Windows path of a Linux path: Wine sees the Unix root as drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

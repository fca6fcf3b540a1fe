# Sourced by the test and run scripts: a Wine prefix inside the build folder,
# a private X display and a wineserver kept while tests run, all stopped by vireon_stop_display.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
# A second prefix at 144 DPI (150 %): what a DPI-aware program sees on Windows
# at that scaling, since Wine does not virtualise DPI.
export VIREON_WINEPREFIX_144=${VIREON_WINEPREFIX_144:-$root/build/wineprefix-144}
# A third that takes its monitors from Xinerama, for the two-monitor tests:
# Debian's Xvfb shows Wine one monitor whatever it is told, Xephyr with two
# screens and Xinerama shows it two (tests/e2e/test_monitors.py starts it).
export VIREON_WINEPREFIX_2MON=${VIREON_WINEPREFIX_2MON:-$root/build/wineprefix-2mon}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Japanese Windows' dialog fonts, as near as Debian has them. Wine has no
# "MS UI Gothic" (nor "MS Shell Dlg", which the Japanese locale maps to it) and
# falls back to whatever Japanese sans fontconfig prefers, which changes with
# the font packages installed. UmePlus P Gothic is proportional like MS UI
# Gothic and as tall (12 px at 9 points, 11 at 8; base units 7 x 12 against
# 6 x 12); UmePlus Gothic stands for the fixed-pitch MS Gothic.
vireon_pin_fonts() {
  local face
  for face in "MS UI Gothic" "MS Shell Dlg" "MS PGothic"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "UmePlus P Gothic" /f >/dev/null 2>&1
  done
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS Gothic" /d "UmePlus Gothic" /f >/dev/null 2>&1
}

vireon_prepare_prefix() {
  # Bump when the steps below change, so that existing prefixes are made again.
  local ready="$WINEPREFIX/.vireon-ready-3"
  [ -f "$ready" ] && return 0
  echo "wine: preparing the prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  DISPLAY= wineboot -i >/dev/null 2>&1
  wineserver -w
  # Debian's Wine does not find its own fonts; without Tahoma dialogs grow.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # Unmanaged windows close at once and Wine sets the keyboard focus itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine winecfg -v win10 >/dev/null 2>&1
  vireon_pin_fonts
  # Copies of the test executable that see older systems.
  wine reg add 'HKCU\Software\Wine\AppDefaults\win_tests_win7.exe' /v Version /d win7 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\AppDefaults\win_tests_winxp.exe' /v Version /d winxp64 /f >/dev/null 2>&1
  wineserver -w
  touch "$ready"
}

# The prefix the run command uses on a real desktop: like the test prefix, but
# the window manager manages the windows (a movable main window with a taskbar
# entry; the overlay stays an unmanaged, click-through popup).
vireon_prepare_desktop_prefix() {
  local ready="$WINEPREFIX/.vireon-ready-desktop-2"
  [ -f "$ready" ] && return 0
  echo "wine: preparing the prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  DISPLAY= wineboot -i >/dev/null 2>&1
  wineserver -w
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  wine winecfg -v win10 >/dev/null 2>&1
  vireon_pin_fonts
  wineserver -w
  touch "$ready"
}

# A copy of the test prefix in $1, made again when its mark of readiness
# (version $2) is missing, with the settings command "${@:4}" run in it.
vireon_derive_prefix() {
  local prefix=$1 ready="$1/.vireon-ready-$2" what=$3
  shift 3
  [ -f "$ready" ] && return 0
  vireon_prepare_prefix
  echo "wine: preparing the $what prefix in $prefix"
  rm -rf "$prefix"
  cp -a "$WINEPREFIX" "$prefix"
  rm -f "$prefix"/.vireon-ready-*
  WINEPREFIX="$prefix" "$@"
  WINEPREFIX="$prefix" wineserver -w
  touch "$ready"
}

vireon_settings_144() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
}

# Xinerama's second screen, X's x = 1280, becomes the primary at Windows'
# (0, 0); the first, at X's x = 0, a monitor left of it at x = -1280.
vireon_settings_two_monitors() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v PrimaryMonitor /d 1 /f >/dev/null 2>&1
}

vireon_prepare_prefix_144() { vireon_derive_prefix "$VIREON_WINEPREFIX_144" 2 "144 DPI" vireon_settings_144; }
vireon_prepare_prefix_two_monitors() {
  vireon_derive_prefix "$VIREON_WINEPREFIX_2MON" 1 "two-monitor" vireon_settings_two_monitors
}

vireon_start_display() {
  # Xvfb picks a free display itself and reports it (-displayfd).
  local fifo n=""
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  VIREON_XVFB_PID=$!
  read -r -t 20 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ] || ! DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
    echo "wine: Xvfb did not start a display" >&2
    return 1
  fi
  export DISPLAY=":$n"
  local prefix
  for prefix in "$WINEPREFIX" "$VIREON_WINEPREFIX_144"; do
    [ -d "$prefix" ] || continue
    # Kept while the tests run, and gone by itself a minute after the last
    # Wine process ends, so that a killed run leaves no server behind.
    WINEPREFIX="$prefix" wineserver -p60 2>/dev/null || true  # one may be running already
    # Wine's helper processes must not inherit a test's output pipe.
    WINEPREFIX="$prefix" wine cmd.exe /c exit </dev/null >/dev/null 2>&1
  done
}

vireon_stop_display() {
  wineserver -k 2>/dev/null || true
  [ -d "$VIREON_WINEPREFIX_144" ] && { WINEPREFIX="$VIREON_WINEPREFIX_144" wineserver -k 2>/dev/null || true; }
  [ -d "$VIREON_WINEPREFIX_2MON" ] && { WINEPREFIX="$VIREON_WINEPREFIX_2MON" wineserver -k 2>/dev/null || true; }
  if [ -n "${VIREON_XVFB_PID:-}" ]; then
    kill "$VIREON_XVFB_PID" 2>/dev/null || true
    wait "$VIREON_XVFB_PID" 2>/dev/null || true
    VIREON_XVFB_PID=
  fi
}

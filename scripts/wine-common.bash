# Sourced by the scripts that run the Windows build under Wine: the Wine
# programs, a fresh prefix and a private X display.
# Needs WINEPREFIX set; sets wine64 and wineserver, and DISPLAY and xvfb_pid.

wine_tool() {  # Debian installs wine64 and wineserver outside PATH
  command -v "$1" 2>/dev/null || { [[ -x /usr/lib/wine/$1 ]] && echo "/usr/lib/wine/$1"; } ||
    { echo "$(basename "$0"): $1 not found" >&2; exit 1; }
}
wine64=$(wine_tool wine64)
wineserver=$(wine_tool wineserver)

# Makes $WINEPREFIX afresh. No display: Wine needs none to set up, and
# WINEDLLOVERRIDES="mscoree,mshtml=" keeps it from offering the Mono and
# Gecko installers.
new_wine_prefix() {
  if [[ -d $WINEPREFIX ]]; then
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  env -u DISPLAY "$wine64" wineboot -i >/dev/null 2>&1
  "$wineserver" -w
  # Debian's Wine puts none of its own fonts (fonts-wine) into a new prefix.
  # Without Tahoma, for which the dialog font "MS Shell Dlg" stands, Wine
  # picks the first font fontconfig offers, here a math font whose line box
  # is three lines high, and Qt centres a line edit's text out of sight.
  if [[ -d /usr/share/wine/fonts ]]; then
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
}

# Starts Xvfb on a display number nobody else uses (other runs on this
# machine may have theirs) with the given screen (WIDTHxHEIGHTxDEPTH).
# Leaves xvfb_pid empty when none could be started.
start_xvfb() {
  xvfb_pid=""
  command -v Xvfb >/dev/null || return 0
  local display
  for display in $(shuf -i 50-99); do
    [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
    Xvfb ":$display" -screen 0 "$1" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$display"
      return 0
    fi
    xvfb_pid=""
  done
}

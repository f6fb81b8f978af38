# Starts and stops a private Wine environment for the Windows test runs:
# an Xvfb display, a Japanese locale, pinned fonts and a fresh Wine prefix.
# Source it after common.sh; call wine_env_start DIR, later wine_env_stop.

WINE_ENV_XVFB_PID=

wine_env_start() {
  local dir=$1
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  local wine="$here/wine/wine-run"
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)

  # A display of our own; Xvfb picks a free number and tells it on fd 3.
  local dfile="$dir/display"
  rm -f "$dfile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dfile" >"$dir/xvfb.log" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [[ -s $dfile ]] && break
    sleep 0.1
  done
  [[ -s $dfile ]] || die "Xvfb did not start (see $dir/xvfb.log)"
  export DISPLAY=":$(head -n1 "$dfile")"

  # Japanese locale without touching the system's locales.
  if [[ ! -d $dir/locale/ja_JP.UTF-8 ]]; then
    mkdir -p "$dir/locale"
    localedef -i ja_JP -f UTF-8 "$dir/locale/ja_JP.UTF-8" 2>/dev/null || true
  fi
  export LOCPATH="$dir/locale"
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export FONTCONFIG_FILE="$here/wine/fonts.conf"
  export XDG_CACHE_HOME="$dir/cache"

  export WINEPREFIX="$dir/prefix" WINEARCH=win64
  export WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f $WINEPREFIX/.ulvo-ready ]]; then
    rm -rf "$WINEPREFIX"
    timeout 300 "$wine" wineboot -i >"$dir/wineboot.log" 2>&1 || die "wineboot failed (see $dir/wineboot.log)"
    # regedit wants UTF-16LE with a byte order mark.
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine/settings.reg.txt"; } >"$dir/settings.reg"
    timeout 120 "$wine" regedit /S "Z:$dir/settings.reg" >/dev/null 2>&1 ||
      die "could not write the Wine settings"
    timeout 120 wineserver -w
    touch "$WINEPREFIX/.ulvo-ready"
  fi
  # Keep one wineserver up for the whole run; each later start is then quick.
  wineserver -p
  timeout 120 "$wine" cmd /c exit >/dev/null 2>&1 || true
  export WINEDEBUG=-all
}

wine_env_stop() {
  if [[ -n ${WINEPREFIX:-} ]]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [[ -n $WINE_ENV_XVFB_PID ]]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=
  fi
}

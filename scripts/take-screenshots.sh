#!/usr/bin/env bash
# Takes the README's screenshots from the real program: under Xvfb, once with a
# light and once with a dark desktop palette (set through the qt6ct platform
# theme), after typing a query and pressing Return. The desktop font is
# Noto Sans CJK SC, the usual default of Chinese-locale desktops.
# Usage: bash scripts/take-screenshots.sh [query]   (writes docs/screenshot-*.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
query=${1:-tavu}
bash "$root/scripts/setup.sh" xdotool imagemagick qt6ct
bash "$root/scripts/build.sh" >/dev/null
build=${VARNELL_BUILD_DIR:-$root/build}
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT

shoot() { # <scheme name> <qt6ct palette file, or empty for the default light palette>
    local name=$1 palette=$2 display=:$((90 + RANDOM % 100))
    mkdir -p "$scratch/$name/qt6ct"
    {
        echo "[Appearance]"
        echo "style=Fusion"
        if [ -n "$palette" ]; then
            echo "custom_palette=true"
            echo "color_scheme_path=$palette"
        else
            echo "custom_palette=false"
        fi
        echo "[Fonts]"
        echo "general=\"Noto Sans CJK SC,10,-1,5,50,0,0,0,0,0\""
    } > "$scratch/$name/qt6ct/qt6ct.conf"
    Xvfb "$display" -screen 0 1000x760x24 -nolisten tcp &
    local xvfb=$!
    sleep 1
    (cd "$build" && DISPLAY=$display XDG_CONFIG_HOME=$scratch/$name QT_QPA_PLATFORMTHEME=qt6ct \
        ./varnell >"$scratch/$name.log" 2>&1) &
    local app=$!
    local window
    window=$(DISPLAY=$display xdotool search --sync --onlyvisible --name '^Widget$' | head -n 1)
    sleep 1
    DISPLAY=$display xdotool windowmove "$window" 0 0 windowactivate --sync "$window" || true
    DISPLAY=$display xdotool mousemove --window "$window" 600 147 click 1
    DISPLAY=$display xdotool type --delay 60 "$query"
    DISPLAY=$display xdotool key Return
    sleep 1
    DISPLAY=$display import -window "$window" "$root/docs/screenshot-$name.png"
    kill "$app" "$xvfb" 2>/dev/null || true
    wait "$app" "$xvfb" 2>/dev/null || true
    echo "wrote docs/screenshot-$name.png"
}

shoot light ""
shoot dark /usr/share/qt6ct/colors/darker.conf

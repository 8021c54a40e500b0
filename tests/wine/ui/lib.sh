# Shared by the window tests and the demo (source it). Runs tests/wine/ui/ui_driver.exe beside the
# tool in a fresh prefix made by tests/wine/run-in-prefix, takes the screenshots the driver asks
# for, and compares screenshots with the tool's own pictures.
#
# Needs: VS_SRC (the source tree) and VS_TREE (a 64-bit Windows build tree holding
# vantosweeper.exe and ui_driver.exe). Screenshots need an X display: ui_need_display re-runs the
# calling script under Xvfb when there is none.

ui_failures=0
ui_art=$VS_SRC/src/ui/resources
ui_convert=convert-im6.q16
ui_compare=compare-im6.q16

ui_need_display() {
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
  fi
}

ui_check() {  # ui_check CONDITION-STATUS WHAT
  if [ "$1" = 0 ]; then
    echo "ok $2"
  else
    echo "FAIL $2"
    ui_failures=$((ui_failures + 1))
  fi
}

# ui_run_driver SCENARIO LOG SHOTS [run-in-prefix options...]: runs the driver with the tool next
# to it, echoes and logs its lines, and answers its requests for a screenshot ("shot NAME X Y W H")
# and for a pointer drag ("drag X Y DX DY"). Returns its exit code.
ui_run_driver() {
  local scenario=$1 log=$2 shots=$3
  shift 3
  mkdir -p "$shots"
  : >"$log"
  coproc DRIVER {
    exec "$VS_SRC/tests/wine/run-in-prefix" --tree "$VS_TREE" --with "$VS_TREE/vantosweeper.exe" \
      "$@" -- "$VS_TREE/ui_driver.exe" "$scenario" 2>&1
  }
  # Own copies of the pipes: bash closes the coprocess's when it ends, before its output is read.
  local driver_pid=$DRIVER_PID out in line name x y w h
  exec {out}<&"${DRIVER[0]}" {in}>&"${DRIVER[1]}"
  while IFS= read -r line <&"$out"; do
    line=${line%$'\r'}
    printf '%s\n' "$line" | tee -a "$log"
    case $line in
      "shot "*)
        read -r _ name x y w h <<<"$line"
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$name.png"
        echo "taken" >&"$in"
        ;;
      "drag "*)
        # A real pointer drag through the X server: press, move in steps, release.
        read -r _ x y w h <<<"$line"
        xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2 \
          mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 mousemove $((x + w)) $((y + h)) \
          sleep 0.2 mouseup 1
        echo "dragged" >&"$in"
        ;;
    esac
  done
  local rc=0
  wait "$driver_pid" || rc=$?
  exec {out}<&- {in}>&-
  return "$rc"
}

# ui_rect LOG NAME: "left top right bottom" of a control, relative to the window's corner.
ui_rect() {
  awk -v name="$2" '$1 == "rect" && $2 == name { print $3, $4, $5, $6; exit }' "$1"
}

# ui_pixel IMAGE X Y: "r,g,b".
ui_pixel() {
  "$ui_convert" "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# ui_differing SHOT X Y PICTURE [W H]: how many pixels of the screenshot's area at (X, Y) differ
# from the picture (its top-left W x H part when given).
ui_differing() {
  local shot=$1 x=$2 y=$3 picture=$4 w=${5:-} h=${6:-} scratch
  if [ -z "$w" ]; then
    read -r w h < <(identify-im6.q16 -format '%w %h' "$picture")
  fi
  scratch=$(mktemp -d)
  "$ui_convert" "$shot" -crop "${w}x${h}+${x}+${y}" +repage "$scratch/a.png"
  "$ui_convert" "$picture" -crop "${w}x${h}+0+0" +repage "$scratch/b.png"
  "$ui_compare" -metric AE "$scratch/a.png" "$scratch/b.png" null: 2>&1 | cut -d' ' -f1
  rm -rf "$scratch"
}

# ui_expect_picture LOG SHOT CONTROL PICTURE WHAT: the control shows the picture exactly.
ui_expect_picture() {
  local log=$1 shot=$2 control=$3 picture=$4 what=$5 l t r b diff
  read -r l t r b < <(ui_rect "$log" "$control")
  diff=$(ui_differing "$shot" "$l" "$t" "$ui_art/$picture" $((r - l)) $((b - t)))
  [ "$diff" = 0 ]
  ui_check $? "$what ($diff pixels differ)"
}

# ui_expect_background LOG SHOT: apart from its controls, the window shows the background picture,
# and outside the picture's 527 x 338 outline the window is cut away (the bare screen shows).
ui_expect_background() {
  local log=$1 shot=$2 cx cy _ draw=() name l t r b diff
  read -r cx cy _ _ < <(ui_rect "$log" client)
  for name in scan download close dlink ulink logo ok cancel title product copyright suite \
    heading statusgroup status reportgroup list; do
    read -r l t r b < <(ui_rect "$log" "$name")
    draw+=(-draw "rectangle $((l - cx)),$((t - cy)),$((r - cx - 1)),$((b - cy - 1))")
  done
  # The client area starts inside the one-pixel border; the outline clips the picture's last
  # column and row.
  local scratch
  scratch=$(mktemp -d)
  "$ui_convert" "$shot" -crop "$((527 - cx))x$((338 - cy))+${cx}+${cy}" +repage \
    -fill black "${draw[@]}" "$scratch/a.png"
  "$ui_convert" "$ui_art/background.bmp" -crop "$((527 - cx))x$((338 - cy))+0+0" +repage \
    -fill black "${draw[@]}" "$scratch/b.png"
  diff=$("$ui_compare" -metric AE "$scratch/a.png" "$scratch/b.png" null: 2>&1 | cut -d' ' -f1)
  rm -rf "$scratch"
  [ "$diff" = 0 ]
  ui_check $? "the window shows the background picture ($diff pixels differ)"
  local outside=0 point
  for point in "527 10" "599 200" "300 338" "20 461" "598 460"; do
    [ "$(ui_pixel "$shot" $point)" = "0,0,0" ] || outside=$((outside + 1))
  done
  [ "$outside" = 0 ]
  ui_check $? "the window is cut to the picture's outline ($outside points outside show it)"
}

# ui_expect_text_pixels SHOT LOG CONTROL COLOUR WHAT: the control's area holds pixels of a colour.
ui_expect_text_pixels() {
  local shot=$1 log=$2 control=$3 colour=$4 what=$5 l t r b count
  read -r l t r b < <(ui_rect "$log" "$control")
  # Other pixels turn magenta first, so that the colour itself may be black or white.
  count=$("$ui_convert" "$shot" -crop "$((r - l))x$((b - t))+${l}+${t}" +repage \
    -fill magenta +opaque "$colour" -fill white -opaque "$colour" -fill black -opaque magenta \
    -format '%[fx:int(mean*w*h+0.5)]' info:)
  [ "$count" -gt 10 ] && [ "$count" -lt $(((r - l) * (b - t) / 2)) ]
  ui_check $? "$what ($count pixels of $colour)"
}

# ui_expect_cross SHOT LOG AREA WHAT: the area shows a cross: black strokes that look the same
# mirrored (a letter such as the "r" Wine draws when it lacks its Marlett font does not).
ui_expect_cross() {
  local shot=$1 log=$2 area=$3 what=$4 l t r b scratch count diff
  read -r l t r b < <(ui_rect "$log" "$area")
  scratch=$(mktemp -d)
  "$ui_convert" "$shot" -crop "$((r - l))x$((b - t))+${l}+${t}" +repage \
    -fill magenta +opaque black -fill white -opaque black -fill black -opaque magenta \
    -trim +repage "$scratch/glyph.png"
  "$ui_convert" "$scratch/glyph.png" -flop "$scratch/mirrored.png"
  count=$("$ui_convert" "$scratch/glyph.png" -format '%[fx:int(mean*w*h+0.5)]' info:)
  diff=$("$ui_compare" -metric AE "$scratch/glyph.png" "$scratch/mirrored.png" null: 2>&1 |
    cut -d' ' -f1)
  rm -rf "$scratch"
  [ "$count" -ge 8 ] && [ "$diff" -le $((count / 10)) ]
  ui_check $? "$what ($count black pixels, $diff differ from their mirror image)"
}

# ui_big_tree DIR [FILES]: a tree of small files (30000 unless told), 100 to a folder and 30
# folders to a group, made once and kept (a scan only reads it), so that a scan of it lasts long
# enough to be cancelled or timed.
ui_big_tree() {
  local dir=$1 files=${2:-30000}
  [ -f "$dir/.complete" ] && [ "$(cat "$dir/.complete")" = "$files" ] && return 0
  rm -rf "$dir"
  python3 - "$dir" "$files" <<'PY'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
for d in range((files + 99) // 100):
    folder = os.path.join(root, f"archive{d // 30:02d}", f"folder{d:03d}")
    os.makedirs(folder, exist_ok=True)
    for f in range(min(100, files - 100 * d)):
        with open(os.path.join(folder, f"note{f:03d}.txt"), "w") as out:
            out.write(f"note {d} {f}\n")
PY
  echo "$files" >"$dir/.complete"
}

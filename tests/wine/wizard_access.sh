#!/usr/bin/env bash
# The wizard as a screen reader sees it under Wine: access-check.exe reads the running window
# through the system's accessibility interface from another process, page by page, and operates it
# through the same interface only: Next by its default action, the agreement ticked by its default
# action, the installation started and watched through the events a screen reader hears. After
# every page change, whoever made it, the new page holds the focus and is announced as a dialog by
# its heading. Then the same walk by keyboard only.
#   wizard_access.sh VELMORA_PACK WIN_BUILD WORKDIR
set -euo pipefail
pack=$1 win=$2 work=$3
. "$(dirname "$0")/wine-env.sh"
wine_start "$work"

run="$work/wizard-access"
. "$(dirname "$0")/wizard-driver.sh"
fresh_setup "$run"
start_setup "$run/VelmoraSetup.exe"
check="$win/tests/win/access-check.exe"

# tree PAGE: the tree now, kept as PAGE.tree and printed.
tree() {
  wine "$check" tree | tr -d '\r' >"$run/$1.tree"
  echo "== $1"
  cat "$run/$1.tree"
}
# has PAGE LINE...: every line is in the page's tree (depth|role|name|value|states|shortcut|action|
# the location is left out).
has() {
  local page=$1
  shift
  local line
  for line in "$@"; do
    cut -d'|' -f1-7 "$run/$page.tree" | grep -qxF "$line" || { echo "$page: missing: $line" >&2; exit 1; }
  done
}
# has_like PAGE PATTERN: a line of the page's tree matches the extended regular expression.
has_like() { cut -d'|' -f1-7 "$run/$1.tree" | grep -qE "$2" || { echo "$1: nothing like: $2" >&2; exit 1; }; }
# until_tree PAGE LINE: reads the tree until it has the line, for a page the wizard shows in its
# own time; after ten minutes, the failure.
until_tree() {
  for _ in $(seq 600); do
    wine "$check" tree 2>/dev/null | tr -d '\r' >"$run/$1.tree"
    cut -d'|' -f1-7 "$run/$1.tree" | grep -qxF "$2" && break
    sleep 1
  done
  echo "== $1"
  cat "$run/$1.tree"
  has "$1" "$2"
}
# listen NAME: the events a screen reader hears, from now until stop_listening, into NAME.events.
listen() {
  rm -f "$WINEPREFIX/drive_c/events."*
  # Line by line, so that the file can be read while the listener runs.
  wine "$check" events 'C:\events.ready' 'C:\events.stop' | sed -u 's/\r$//' >"$run/$1.events" &
  events=$!
  until [ -f "$WINEPREFIX/drive_c/events.ready" ]; do
    kill -0 "$events" 2>/dev/null || { echo "the event listener ended before it was hooked" >&2; exit 1; }
    sleep 0.2
  done
}
stop_listening() { touch "$WINEPREFIX/drive_c/events.stop"; wait "$events"; }
# act NAME: the default action of the child of that name, as a screen reader's "click".
act() { wine "$check" do "$1"; }
# announced NAME HEADING: the listener of NAME heard the focus go to the page of that heading (it
# reads each event's object some time after the event), and that page holds the focus now.
announced() {
  for _ in $(seq 300); do
    grep -q "^focus|dialog|$2|" "$run/$1.events" && break
    sleep 0.2
  done
  grep -q "^focus|dialog|$2|" "$run/$1.events" ||
    { echo "no focus event for the page $2" >&2; cat "$run/$1.events" >&2; exit 1; }
  until_tree "$1-page" "1|dialog|$2||focused,focusable||"
}
# given_back HEADING: the consoles of the registration batches take the activation at the end of
# the installation. Windows hands it back to the wizard when they close; Wine without a window
# manager leaves the keyboard with no window, so the test gives it back as a user would, with a
# click on an empty part of the page (the finish picture's grey band), until the page of that
# heading holds the focus (a console may still come up meanwhile).
given_back() {
  for _ in $(seq 60); do
    wine "$check" tree 2>/dev/null | tr -d '\r' | grep -qF "1|dialog|$1||focused,focusable||" && return 0
    click 40 300 20 20 1
  done
}
# heard NAME HEADING: the same for a page the wizard shows only for a moment (the environment check),
# by its event alone.
heard() {
  for _ in $(seq 300); do
    grep -q "^focus|dialog|$2|" "$run/$1.events" && return 0
    sleep 0.2
  done
  echo "no focus event for the page $2" >&2
  cat "$run/$1.events" >&2
  exit 1
}

tree welcome
# The page is a dialog named by its heading, and holds the focus from the start.
has welcome '0|client|Velmora安装向导||||' \
  '1|dialog|欢迎使用 Velmora 安装程序||focused,focusable||' \
  '2|text|欢迎使用 Velmora 安装程序||||' \
  '2|text|否则，请单击“下一步”继续。||||' \
  '2|graphic|||||' \
  '2|button|关闭||focusable||按下' \
  '2|button|上一步(P)||unavailable|Alt+P|' \
  '2|button|下一步(N)||focusable|Alt+N|按下' \
  '2|button|取消(C)||focusable|Alt+C|按下'
# The texts come first in reading order, then the picture, then the buttons in tab order.
[ "$(cut -d'|' -f2 "$run/welcome.tree" | tr '\n' ' ')" = "client dialog text text text text graphic button button button button " ]
# A disabled control does nothing when asked.
if wine "$check" do '上一步(P)' 2>/dev/null; then echo "a disabled Back acted" >&2; exit 1; fi

listen walk
# Cancel asks its question; the request returns at once, and while the question is open nothing
# underneath takes a default action. No keeps the wizard where it was.
timeout 20 wine "$check" do '取消(C)' || { echo "Cancel's default action did not return" >&2; exit 1; }
message_box >/dev/null  # the question is up
tree under-question
has under-question '2|button|下一步(N)||unavailable|Alt+N|'
if wine "$check" do '下一步(N)' 2>/dev/null; then echo "Next acted under the question box" >&2; exit 1; fi
answer n
until_tree welcome-again '2|button|下一步(N)||focusable|Alt+N|按下'
until_tree welcome-focused-again '1|dialog|欢迎使用 Velmora 安装程序||focused,focusable||'

# A screen reader keeps the window's object across Next: it reads the new page through it.
wine "$check" across '下一步(N)' '软件功能介绍' | tr -d '\r' >"$run/features.tree"
echo "== features, through the object held across Next"
cat "$run/features.tree"
grep -qF '|text|软件功能介绍|' "$run/features.tree" || { echo "the held object still lists the old page" >&2; exit 1; }
# Next showed the environment check, whose timer then showed the features: each page took the focus.
heard walk '运行环境检测'
announced walk '软件功能介绍'
tree features
has features '2|text|软件功能介绍||||' '2|text|强大的金币库存管理功能||||' \
  '2|text|，支持5173，淘宝以及百川等B2B网站的自动列表，拥有强力||||'

act '下一步(N)'
until_tree licence '2|button|下一步(N)||unavailable|Alt+N|'
announced walk '软件安装协议'
has_like licence '^2\|edit\|软件安装协议\|1、.*\\n\\n2、.*\|readonly,focusable\|\|$'
has licence '2|checkbox|我已阅读并同意Velmora软件许可协议||focusable||选中' \
  '2|button|下一步(N)||unavailable|Alt+N|'
act '我已阅读并同意Velmora软件许可协议'
until_tree licence-agreed '2|checkbox|我已阅读并同意Velmora软件许可协议||checked,focusable||取消选中'
has licence-agreed '2|button|下一步(N)||focusable|Alt+N|按下'
# A control disabled while it holds the focus hands the focus on, or Tab would reach nothing: Next,
# focused from the keyboard (Shift+Tab from the window reaches Cancel, then Next), is disabled by
# unticking the agreement through the interface.
xdotool key shift+Tab
sleep 0.5
xdotool key shift+Tab
sleep 0.5
until_tree licence-next-focused '2|button|下一步(N)||focused,focusable|Alt+N|按下'
act '我已阅读并同意Velmora软件许可协议'
until_tree licence-unticked '2|button|取消(C)||focused,focusable|Alt+C|按下'
has licence-unticked '2|button|下一步(N)||unavailable|Alt+N|'
act '我已阅读并同意Velmora软件许可协议'
until_tree licence-ticked-again '2|button|下一步(N)||focusable|Alt+N|按下'

act '下一步(N)'
until_tree location '2|button|安装(I)||focusable|Alt+I|按下'
# The location page's heading and instruction are drawn in its picture; the page object says them.
announced walk '选择安装位置'
grep -qE '^1\|dialog\|选择安装位置\|.*\|请选择 Velmora 的安装目录和个人文件夹。$' "$run/location.tree" ||
  { echo "the location page does not say its instruction" >&2; exit 1; }
folder=$(installed_windows)
has location "2|edit|安装目录|$folder|focusable||" \
  '2|radio|保存到安装目录下||checked,focusable||选中' \
  '2|radio|自定义||focusable||选中' \
  '2|button|浏览(B)||invisible|Alt+B|' \
  '2|button|安装(I)||focusable|Alt+I|按下'
has_like location '^2\|edit\|个人文件夹\|C:\\.*\\Velmora\\\|unavailable\|\|$'

stop_listening

# The installation, as a screen reader hears it: the progress page, the status line's new texts
# (a live region) and the bar's values, and the finish page that says the installation succeeded.
# The listener is hooked before Install is pressed and listens until the finish page is read.
listen install
act '安装(I)'
heard install '程序正在安装'
until_tree finish '2|button|完成(F)||focusable|Alt+F|按下'
given_back 'Velmora 安装成功'
announced install 'Velmora 安装成功'
stop_listening
# Events are handled after they happen, when the wizard next lets messages run (the steps after
# the copy run without), so each names the status line or the bar, read as it is by then.
grep -qE '^name\|text\|(正在|文件安装成功)' "$run/install.events" ||
  { echo "no event for the status line" >&2; cat "$run/install.events" >&2; exit 1; }
grep -qE '^live\|text\|(正在|文件安装成功)' "$run/install.events" ||
  { echo "no live-region event for the status line" >&2; cat "$run/install.events" >&2; exit 1; }
grep -qE '^value\|progressbar\|\|[0-9]+%\|' "$run/install.events" ||
  { echo "no event for the progress bar" >&2; cat "$run/install.events" >&2; exit 1; }
grep -q '^reorder|client|Velmora安装向导|' "$run/install.events" || { echo "no event for the new page" >&2; exit 1; }
if grep -vqE '^(name\|text|live\|text|value\|progressbar|reorder\|client|state\||focus\|)' "$run/install.events"; then
  echo "an event named something else than the status line, the bar, the page or a control's state:" >&2
  cat "$run/install.events" >&2
  exit 1
fi

has finish '2|checkbox|运行 OrmundVelmora 软件||checked,focusable||取消选中' \
  '2|checkbox|在快速启动栏创建快捷方式||checked,focusable||取消选中' \
  '2|button|完成(F)||focusable|Alt+F|按下'
act '完成(F)'
setup_ended 10 || { echo "Finish through the interface did not end the wizard" >&2; exit 1; }
[ -f "$(installed_folder)/DeskClient.exe" ]

# The same walk by keyboard only, on a setup long enough to be caught mid-extraction. Enter twice
# on the welcome page's Next clicks it once: the second press lands on the new page, which takes it
# without acting (it would otherwise ask the close question from the next page's close button, and
# the features page would never hold the focus). During the installation Tab moves the focus to the
# progress page's first tab stop (its close button) and Alt+C asks the close question: the keys are
# pressed while the extraction is held and are handled at its next message point, and the question
# then holds the installation while the events are read.
echo "== the whole walk by keyboard only"
long_setup "$run/long" "$run/Long.exe"
wineserver -k >/dev/null 2>&1 || true   # the product the finish page started would stop the next setup
clear_installation
start_setup "$run/Long.exe"
listen keys
until_tree keys-welcome '1|dialog|欢迎使用 Velmora 安装程序||focused,focusable||'
xdotool key Tab Tab   # the close button, then Next (Back is disabled)
until_tree keys-next '2|button|下一步(N)||focused,focusable|Alt+N|按下'
xdotool key Return Return
heard keys '运行环境检测'
announced keys '软件功能介绍'
xdotool key alt+n
announced keys '软件安装协议'
xdotool key Tab Tab Tab   # the close button, the licence text, the agreement
until_tree keys-agreement '2|checkbox|我已阅读并同意Velmora软件许可协议||focused,focusable||选中'
xdotool key space
until_tree keys-agreed '2|checkbox|我已阅读并同意Velmora软件许可协议||focused,checked,focusable||取消选中'
xdotool key alt+n
announced keys '选择安装位置'
xdotool key alt+i
hold_at_first_data_file
xdotool key Tab
xdotool key alt+c
go_on
shown=$(message_box)
echo "$shown" | grep -qF "确认退出安装程序？" || { echo "Alt+C during the installation: expected the close question, saw: $shown" >&2; exit 1; }
for _ in $(seq 300); do   # the listener reads each event's object from the setup, some time after it
  grep -qE '^focus\|button\|关闭\|' "$run/keys.events" && break
  sleep 0.2
done
grep -qE '^focus\|button\|关闭\|' "$run/keys.events" ||
  { echo "Tab during the installation did not move the focus to the close button" >&2; cat "$run/keys.events" >&2; exit 1; }
answer n                  # No: the installation goes on
heard keys '程序正在安装'
until_tree keys-finish '2|button|完成(F)||focusable|Alt+F|按下'
given_back 'Velmora 安装成功'
announced keys 'Velmora 安装成功'
stop_listening
[ -f "$(installed_folder)/data/part399.dat" ] || { echo "the installation did not go on after No" >&2; exit 1; }
xdotool key Tab Tab       # the close button, then the first check box
until_tree keys-run '2|checkbox|运行 OrmundVelmora 软件||focused,checked,focusable||取消选中'
xdotool key space         # untick: the product is not started
until_tree keys-run-off '2|checkbox|运行 OrmundVelmora 软件||focused,focusable||选中'
xdotool key alt+f
setup_ended 10 || { echo "Finish by Alt+F did not end the wizard" >&2; exit 1; }
echo "every page read and operated through the accessibility interface, and by keyboard only"

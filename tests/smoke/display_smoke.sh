#!/usr/bin/env bash
# A person at a real display: the real program under Xvfb with a window manager, driven by
# real key presses through the X server (XTest, via xdotool). Types a ledger entry, a savings
# deposit and a loan cell by cell, reaches 保存 by keyboard, and reads the books; then imports
# a bill through 导入, changing a category in the preview, imports the same bill again, and
# imports a bank statement of no known layout through the mapping step.
# Usage: display_smoke.sh PROGRAM LISTS_FOLDER
set -euo pipefail

program=$1
lists=$2

if [ -z "${TELOQ_SMOKE_DISPLAY:-}" ]; then
    export TELOQ_SMOKE_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A program folder of its own: the program, its lists, and (after the first start) its books.
mkdir -p "$work/program" "$work/home"
cp "$program" "$work/program/teloq"
cp -r "$lists" "$work/program/txt"
# The import's category table, where the build keeps it beside the program.
if [ -d "$(dirname "$program")/share" ]; then cp -r "$(dirname "$program")/share" "$work/program/share"; fi
export HOME="$work/home" ODBCINI="$work/odbc.ini" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
# Under the sanitizer build: the X client libraries hand strndup buffers without a final NUL,
# which strict string checks take for an overflow; the program's own code is checked as usual.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi
unset XDG_DATA_HOME XDG_CONFIG_HOME
books="$work/program/Salary.mdb"

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/teloq.log" ]; then
        echo "--- what the program wrote:" >&2
        tail -n 40 "$work/teloq.log" >&2
    fi
    shot failure
    exit 1
}
# With TELOQ_SMOKE_SHOTS set to a folder, a picture of the screen (ImageMagick's import).
shot() {
    if [ -n "${TELOQ_SMOKE_SHOTS:-}" ]; then import -window root "$TELOQ_SMOKE_SHOTS/$1.png" || true; fi
}

# Waits for a visible window with exactly this title and gives it the keyboard.
window() {
    local id
    id=$(timeout 15 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1) ||
        fail "no window '$1'"
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
    sleep 0.3
    echo "$id"
}
# Real key presses, each routed by the X server to the focused window.
keys() { xdotool key --delay 60 "$@"; sleep 0.2; }
# Typed text: ASCII through the keys that carry it, every other character through a key that
# was given its keysym before the program started (see carryKeysyms): xdotool would otherwise
# remap a spare key for each such character while the program runs, and a program may read
# the key before it has seen the new mapping.
typed() {
    local text=$1 i c
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        if [[ $c == [[:ascii:]] ]]; then
            xdotool type --delay 40 "$c"
        else
            xdotool key "$(printf 'U%X' "'$c")"
        fi
    done
    sleep 0.2
}
# Gives every non-ASCII character of the texts that follow a key of its own, on keys of
# multimedia functions that the program does not use.
carryKeysyms() {
    local chars codes i=0 c
    chars=$(printf '%s' "$*" | grep -o . | grep -P '[^\x00-\x7F]' | sort -u)
    mapfile -t codes < <(xmodmap -pke | awk '$4 ~ /^XF86/ {print $2}')
    for c in $chars; do
        [ "$i" -lt "${#codes[@]}" ] || fail "not enough spare keys for the typed texts"
        xmodmap -e "keycode ${codes[i]} = $(printf 'U%X' "'$c")"
        i=$((i + 1))
    done
}
# Tab to the next cell.
next() { keys Tab; }
books_say() { sqlite3 -separator '|' "$books" "$1"; }
# Waits (up to 15 s: a sanitizer build is slow) until the books say what is expected.
expect() {
    local got i
    for ((i = 0; i < 75; i++)); do
        got=$(books_say "$1" 2>/dev/null || true)
        [ "$got" = "$2" ] && return 0
        sleep 0.2
    done
    fail "books say '$got' for '$1', expected '$2'"
}

carryKeysyms 支出 餐饮 午餐 现金 同事聚餐 张三 整存整取一年 借给别人 李四 饭钱 娱乐

# A small Alipay bill as the app delivers it (GBK, a preamble, order numbers ending in a TAB).
bill="$work/alipay.csv"
tab=$'\t'
iconv -f UTF-8 -t GBK >"$bill" <<CSV
支付宝交易明细
------------------------------------------------------------------------------------
交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,商家订单号,备注,
2026-12-01 08:12:40,餐饮美食,肯德基,/,早餐套餐,支出,18.50,花呗,交易成功,2026120122001${tab},M1${tab},,
2026-12-02 19:05:11,交通出行,滴滴出行,/,快车,支出,26.30,余额宝,交易成功,2026120222002${tab},M2${tab},,
2026-12-03 10:00:00,转账红包,张伟,/,还款,收入,200.00,余额,交易成功,2026120322003${tab},,,
2026-12-04 09:15:37,投资理财,余额宝,/,转入余额宝,不计收支,500.00,余额,交易成功,2026120422004${tab},,,
CSV
"$work/program/teloq" >"$work/teloq.log" 2>&1 &
pids+=($!)
window Quenvard >/dev/null

# The ledger: Enter on the focused 收支管理 (no password is set), 新增 by its shortcut, then a
# whole entry typed cell by cell with Tab, and 保存 by its shortcut.
keys Return
window 收支管理 >/dev/null
keys ctrl+n
typed 2026-12-10
next
typed 支出
next
typed 餐饮
next
typed 午餐
next
typed 12.5
next
typed 现金
next
typed 同事聚餐
keys ctrl+s
expect "select adddate, sz, szdl, szxl, money, zffs, memo from mysalary" \
    "2026-12-10|支出|餐饮|午餐|12.5|现金|同事聚餐"
# Esc closes no window; the frame's close box (here the window manager's Alt+F4) does.
keys Escape Escape
window 收支管理 >/dev/null
keys alt+F4
window Quenvard >/dev/null

# The savings window: a deposit whose kind, typed and left with Tab, fills in the rest.
keys Tab Tab Return
window 储蓄管理 >/dev/null
keys ctrl+n
typed 张三
next
typed 2026-01-05
next
typed 10000
next
typed 整存整取一年
next
keys ctrl+s
expect "select bankuser, begindate, money, savingtype, interest, enddate, interestmoney from saving" \
    "张三|2026-01-05|10000.0|整存整取一年|1.5|2026-12-31|150.0"
keys ctrl+w
window Quenvard >/dev/null

# The loans window: a loan with its 标志 set by Space.
keys shift+Tab Return
window 借贷管理 >/dev/null
keys ctrl+n
typed 2026-12-01
next
typed 借给别人
next
typed 500
next
typed 李四
next
typed 2026-12-31
next
next
keys space
next
typed 饭钱
keys ctrl+s
expect "select borrowdate, action, money, listman, hopedate, flag, memo from borrow" \
    "2026-12-01|借给别人|500.0|李四|2026-12-31|1|饭钱"
keys ctrl+w
window Quenvard >/dev/null

# Import: 导入 by its shortcut, the bill's path typed into the file dialog, the preview with
# the first row's 大类 changed by typing into the cell, and 导入 by Enter (the default button).
# The main window's focus is on 借贷管理; 收支管理 is the button before it.
keys shift+Tab Return
window 收支管理 >/dev/null
keys ctrl+i
window 导入账单 >/dev/null
xdotool type --delay 20 "$bill"
keys Return
sleep 1
window 导入账单 >/dev/null
shot import-preview
keys Right Right Right
typed 娱乐
shot import-category
# Enter takes the chosen 大类 and closes its list; Enter again presses 导入.
keys Return
shot import-taken
keys Return
expect "select count(*) from importbatch" "1"
expect "select m.adddate, m.sz, m.szdl, coalesce(m.szxl, ''), m.money, m.zffs from mysalary m \
join importentry e on e.salaryid = m.id where m.sz = '支出' order by m.adddate" \
    "2026-12-01|支出|娱乐||18.5|支付宝
2026-12-02|支出|交通|打车|26.3|支付宝"
expect "select count(*) from importentry" "3"
window 收支管理 >/dev/null

# The same bill again: every row is a duplicate, and 导入 adds nothing.
keys ctrl+i
window 导入账单 >/dev/null
xdotool type --delay 20 "$bill"
keys Return
sleep 1
window 导入账单 >/dev/null
keys Return
window 收支管理 >/dev/null
expect "select count(*) from importbatch" "1"
expect "select count(*) from mysalary" "4"

# A statement of a bank no reader knows: the mapping step by keyboard (Alt and the underlined
# letter to a field, Down to a column, Enter for 确定), then the preview and 导入.
cat >"$work/bank.csv" <<CSV
Posted,Details,Value
2026-11-05,Salary,8000.00
2026-11-06,Rent,-2500.00
CSV
keys ctrl+i
window 导入账单 >/dev/null
xdotool type --delay 20 "$work/bank.csv"
keys Return
window 设置导入格式 >/dev/null
keys alt+d Down alt+a Down Down Down
shot import-mapping
keys Return
sleep 1
window 导入账单 >/dev/null
keys Return
expect "select adddate, sz, printf('%.2f', money) from mysalary where adddate like '2026-11-%' \
order by adddate" "2026-11-05|收入|8000.00
2026-11-06|支出|2500.00"
expect "select name from importmapping" "bank"
window 收支管理 >/dev/null
keys alt+F4
window Quenvard >/dev/null
echo "display smoke: ledger entry, savings deposit and loan typed and saved by keyboard; a bill imported; a bank statement mapped and imported"

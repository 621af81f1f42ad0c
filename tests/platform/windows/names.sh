#!/usr/bin/env bash
# The Windows runner's file names under Wine: a name beyond the system's code page reaches its own file (never
# the one whose name the code page makes of it) and is said as it is; a device's name (CON, PRN, AUX, NUL,
# COM1-9, LPT1-9, in any case, with any extension) is refused as the script and as every output, in one line
# and with no file left behind; a read-only output is left as it was.
# Usage: bash names.sh <build-windows/tramolo> <build-windows/tramolo-sim> <build-dir>
test_name=names.sh
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/../../e2e/common.sh"
sim=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
failed=0

# The files of the current folder in name order, space-separated: "name=text" for a file of at most 40
# bytes (its last newline dropped), "name+" for a longer one, "name/" for a folder.
folder_files() {
    local name text listing=()
    while IFS= read -r -d '' name; do
        name=${name#./}
        if [[ -d $name ]]; then
            listing+=("$name/")
        elif (($(stat -c %s -- "$name") <= 40)); then
            text=$(cat -- "$name")
            listing+=("$name=$text")
        else
            listing+=("$name+")
        fi
    done < <(find . -mindepth 1 -maxdepth 1 -print0 | LC_ALL=C sort -z)
    echo "${listing[*]}"
}

# row SETUP CODE AFTER SAID ARG...: in a folder of its own, where the shell SETUP made the user's files, the
# runner with ARG... ends with CODE (124: it ran 30 s), leaves the files AFTER (as folder_files gives them)
# and says SAID on standard error: one line that starts so, or nothing for "".
row=0
row() {
    local setup=$1 code=$2 after=$3 said=$4
    shift 4
    row=$((row + 1))
    local dir=$work/row-$row
    mkdir "$dir"
    local got=0 files err
    (
        cd "$dir" || exit
        eval "$setup"
        timeout 30 "$sim" "$@" </dev/null >"$work/out" 2>"$work/err"
    ) || got=$?
    files=$(cd "$dir" && folder_files)
    err=$(tr -d '\r' <"$work/err")
    local problem=
    [[ $got == "$code" ]] || problem+=" exit code $got, not $code;"
    [[ $files == "$after" ]] || problem+=" files '$files', not '$after';"
    if [[ -z $said ]]; then
        [[ -z $err ]] || problem+=" said '$err';"
    elif [[ $err != "tramolo-sim: $said"* || $(wc -l <"$work/err") != 1 ]]; then
        problem+=" said '$err', not one line 'tramolo-sim: $said...';"
    fi
    if [[ -n $problem ]]; then
        echo "$test_name: row $row ($*):$problem" >&2
        failed=1
    fi
}

# Names beyond the code page, beside the names the code page would make of them.
row "echo keep > Lódz.jsonl" 0 "Lódz.jsonl=keep Łódź.jsonl+" "" --passes 3 --quiet --trace Łódź.jsonl
row "" 0 "日本.jsonl+" "" --passes 3 --quiet --trace 日本.jsonl
row "printf '2 down 27\n' > Łódź.txt; printf '1 close\n' > Lódz.txt" 27 "Lódz.txt=1 close Łódź.txt=2 down 27" "" \
    --quiet --input Łódź.txt
row "echo keep > Lódz.png" 0 "Lódz.png=keep Łódź.png+" "" --passes 2 --quiet --png 2:Łódź.png
row "" 0 "🚗.txt+" "" --passes 2 --quiet --record 🚗.txt
row "echo keep > Łódź.jsonl.part" 2 "Łódź.jsonl.part=keep" "--trace: 'Łódź.jsonl.part' exists" \
    --passes 2 --trace Łódź.jsonl
# One file for Windows, whatever the case of its letters.
row "" 2 "" "--trace Łódź.jsonl and --png 2:ŁÓDŹ.jsonl name the same file" \
    --passes 2 --trace Łódź.jsonl --png 2:ŁÓDŹ.jsonl
row "" 2 "" "--input: '日本.txt' cannot be read" --input 日本.txt
# A read-only file is the user's to keep.
row "echo keep > t.jsonl; chmod 444 t.jsonl" 2 "t.jsonl=keep" "--trace: 't.jsonl' is write-protected" \
    --passes 2 --trace t.jsonl

# The devices' names, as the script (which would wait on the device for ever) and as outputs.
for name in aux.txt com1.txt CON nul Prn.jsonl LPT9 'COM3 .txt'; do
    row "" 2 "" "--input: '$name' names the device" --input "$name"
done
for name in CON nul.jsonl NUL aux.txt Aux prn.jsonl com1.txt COM9 LPT1.x.jsonl lpt9 'nul .jsonl' nul. 'com2 ' \
    COM¹.jsonl 'lpt³'; do
    row "" 2 "" "--trace: '$name' names the device" --passes 2 --trace "$name"
done
row "mkdir sub" 2 "sub/" "--png 1: 'sub\\nul.png' names the device" --passes 2 --png '1:sub\nul.png'
row "" 2 "" "--record: 'c:Con.txt' names the device" --passes 2 --record c:Con.txt

((failed == 0)) || fail "some names did not reach their own file or were not refused as they should be"
echo "$test_name: ok"

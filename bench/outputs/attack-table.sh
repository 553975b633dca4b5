#!/usr/bin/env bash
# Time and peak memory of opening a full-size survey and of its report
# outputs, and the table of hostile inputs and output targets: each row
# runs one command and says how it ended, how long it took, how much memory
# it used and whether the file that was there before is still intact.
#
#   bench/outputs/attack-table.sh [BUILD_DIR] [POINTS]
#
# Needs /usr/bin/time and python3; the device rows need root (mknod).
set -uo pipefail
cd "$(dirname "$0")/../.."
bin=$(realpath "${1:-build}")/bin
points=${2:-1000}
cli=$bin/kvr-cli
app=$bin/kvr-analysis
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='default.debug=false' KVR_DATA_ROOT=$work/root/
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$work"

printf '%-44s %5s %8s %9s  %s\n' "case" "exit" "seconds" "peak MB" "result"
# row LABEL CHECK COMMAND...: runs COMMAND (10 minutes at most) and prints
# its exit status, time and peak memory; CHECK is evaluated afterwards and
# printed as the result.
row() {
    local label=$1 check=$2
    shift 2
    /usr/bin/time -f '%e %M' -o time.txt timeout 600 "$@" >out.txt 2>err.txt
    local rc=$?
    local secs kb
    read -r secs kb < <(tail -n 1 time.txt)
    local result
    result=$(eval "$check" 2>/dev/null)
    [ $rc -eq 124 ] && result="HUNG (killed after 600 s)"
    printf '%-44s %5s %8s %9.1f  %s\n' "$label" "$rc" "$secs" "$(echo "$kb / 1024" | bc -l)" "$result"
    local why
    why=$(grep -v -e XDG_RUNTIME -e propagateSizeHints err.txt | head -n 1)
    [ -n "$why" ] && printf '%-44s %s\n' "" "${why:0:150}"
}
same() { cmp -s "$1" "$2" && echo "old file intact" || echo "OLD FILE CHANGED"; }
kind() { stat -c '%F' "$1"; }

"$cli" synth -o big.ard --points "$points" 2>/dev/null
size_mb=$(echo "$(stat -c %s big.ard) / 1048576" | bc -l)
printf 'survey of %d points: %.1f MB\n\n' "$points" "$size_mb"

row "open ($points points)" 'echo "peak / file size shown above"' "$cli" info big.ard
row "pdf ($points points)" 'pdfinfo big.pdf >/dev/null && echo "complete PDF, $(stat -c %s big.pdf) bytes"' \
    "$cli" pdf big.ard -o big.pdf
row "image ($points points)" 'echo "$(stat -c %s big.png) bytes"' "$cli" image big.ard -o big.png
row "word ($points points)" 'echo "$(stat -c %s big.docx) bytes"' "$cli" word big.ard -o big.docx
echo

"$cli" synth -o s.ard --points 3 --samples 1024 2>/dev/null
cp s.ard s.bak
for c in image pdf word export-csv; do
    row "$c X -o X" 'same s.ard s.bak' "$cli" $c s.ard -o s.ard
done
ln -sf s.ard link.ard
ln -f s.ard hard.ard
row "pdf X -o symlink-to-X" 'same s.ard s.bak' "$cli" pdf s.ard -o link.ard
row "pdf X -o hardlink-to-X" 'same s.ard s.bak' "$cli" pdf s.ard -o hard.ard
cp s.ard in.png
cp in.png in.bak
row "word in.png -o in.docx" 'same in.png in.bak' "$cli" word in.png -o in.docx
mkfifo fifo
mkdir dir
if [ "$(id -u)" -eq 0 ]; then mknod dev c 1 3; fi
for t in fifo dir dev; do
    [ -e $t ] || continue
    for c in convert export-csv pdf image word; do
        row "$c -o $t" "echo \"still a \$(kind $t)\"" "$cli" $c s.ard -o $t
    done
    row "synth -o $t" "echo \"still a \$(kind $t)\"" "$cli" synth -o $t
done
echo old > ro.pdf
chmod 444 ro.pdf
cp ro.pdf ro.bak
row "pdf -o read-only file" 'same ro.pdf ro.bak' "$cli" pdf s.ard -o ro.pdf

# A disk that fills up: writes beyond 200 KB fail (EFBIG, as ENOSPC would).
"$cli" pdf big.ard -o full.pdf >/dev/null 2>&1
"$cli" image s.ard -o full.png >/dev/null 2>&1
cp full.pdf full.bak
cp full.png fullpng.bak
row "pdf on a full disk" 'same full.pdf full.bak' bash -c "ulimit -f 200; trap '' XFSZ; exec $cli pdf big.ard -o full.pdf"
row "image on a full disk" 'same full.png fullpng.bak' bash -c "ulimit -f 50; trap '' XFSZ; exec $cli image big.ard -o full.png"

# Killed during the PDF export, at ten moments.
intact=0
for i in 1 2 3 4 5 6 7 8 9 10; do
    "$cli" pdf big.ard -o full.pdf >/dev/null 2>&1 &
    pid=$!
    sleep "0.$((i * 37 % 100))"
    kill -9 $pid 2>/dev/null
    wait $pid 2>/dev/null
    if cmp -s full.pdf full.bak || pdfinfo full.pdf >/dev/null 2>&1; then intact=$((intact + 1)); fi
    cp full.pdf full.bak
done
printf '%-44s %5s %8s %9s  %s\n' "pdf killed at 10 moments" "-" "-" "-" "$intact of 10 times old or complete new file"
echo

# Sizes claimed by the file.
python3 - <<'EOF'
h = open('s.ard', 'rb').read(10240)
with open('sparse.ard', 'wb') as f:
    f.write(h)
    f.truncate(10240 + 49000 * 65628)
EOF
row "open a sparse 3 GB file (valid header)" 'echo "$(du -k sparse.ard | cut -f1) KB on disk"' "$cli" info sparse.ard
echo x > unreadable.ard
chmod 000 unreadable.ard
chmod 755 "$work"
if [ "$(id -u)" -eq 0 ]; then
    row "open a file without permission" 'echo' setpriv --reuid=65534 --regid=65534 --clear-groups "$cli" info "$work/unreadable.ard"
else
    row "open a file without permission" 'echo' "$cli" info unreadable.ard
fi
gbk=$(printf '\xb2\xe2\xca\xd4.ard')
out=$(printf '\xb3\xf6.ard')
cp s.ard "$gbk"
row "convert GBK-named file -o GBK name" '[ -f "$out" ] && echo "written under its own name"' "$cli" convert "$gbk" -o "$out"
echo

# Templates.
python3 - <<'EOF'
import zipfile
types = ('<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="xml" ContentType="application/xml"/><Override PartName="/word/document.xml" '
         'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"/></Types>')
head = '<?xml version="1.0"?><w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>'
mark = '<w:p><w:bookmarkStart w:id="1" w:name="bookmarkTitle"/><w:bookmarkEnd w:id="1"/></w:p>'
tail = '</w:body></w:document>'
def make(name, body):
    with zipfile.ZipFile(name, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('[Content_Types].xml', types)
        z.writestr('word/document.xml', head + body + mark + tail)
make('empty60m.dotx', '<a/>' * (15 * 1024 * 1024))
make('unmatched5k.dotx', '<w:p>' + '<w:bookmarkStart w:id="7" w:name="bookmarkTitle"/>' * 5000 + '</w:p>')
make('unmatched20k.dotx', '<w:p>' + '<w:bookmarkStart w:id="7" w:name="bookmarkTitle"/>' * 20000 + '</w:p>')
make('deep.dotx', '<w:tbl>' * 300 + '</w:tbl>' * 300)
EOF
for t in empty60m unmatched5k unmatched20k deep; do
    row "word --template $t ($(($(stat -c %s $t.dotx) / 1024)) KB)" 'echo' "$cli" word s.ard --template $t.dotx -o t.docx
done
echo

# Configurations.
mkdir -p root/etc
python3 -c "print('<config><sysconfig>' + '<a>' * 24000 + '</a>' * 24000 + '</sysconfig></config>')" > deep.xml
python3 -c "print('<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY e \"' + 'x' * 7000 + '\">]><config><sysconfig><strGD>' + '&e;' * 20000 + '</strGD></sysconfig></config>')" > entity.xml
for c in deep entity; do
    cp $c.xml root/etc/param_config.xml
    row "configuration $c ($(($(stat -c %s $c.xml) / 1024)) KB): image" \
        '[ -f root/etc/param_config.xml.bad ] && echo "kept as .bad"' "$cli" image s.ard -o c.png
    cp $c.xml root/etc/param_config.xml
    row "configuration $c: kvr-analysis --self-check" 'echo' "$app" --self-check shots
    rm -f root/etc/param_config.xml*
done
echo

# Without a user.
"$cli" synth -o warned.ard --points 2 --fourth-channel 2>/dev/null
head -c 50000 s.ard > cut.ard
for f in warned.ard cut.ard none.ard; do
    row "kvr-analysis --self-check $f" 'grep -m1 "^message" out.txt' "$app" --self-check shots "$f"
done

#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as a user's
# machine would see it: its contents and control fields, the desktop and
# AppStream files, and the programs run from the unpacked package (so a
# missing install rule fails), including the file type and the default
# application for surveys.
#
#   packaging/check-package.sh BUILD_DIR SOURCE_DIR DESKTOP_ID MIME_TYPE
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
desktop_id=$3
mime_type=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The package
(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || {
    cat "$tmp/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
}
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one package, got: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Contents
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|; s|/$||' >"$tmp/contents"
expected=(
    /usr/bin/kvr-analysis
    /usr/bin/kvr-cli
    /usr/share/kvr-analysis/template.dotx
    "/usr/share/applications/$desktop_id.desktop"
    "/usr/share/metainfo/$desktop_id.metainfo.xml"
    /usr/share/mime/packages/kvr-analysis.xml
    /usr/share/man/man1/kvr-analysis.1.gz
    /usr/share/man/man1/kvr-cli.1.gz
    /usr/share/bash-completion/completions/kvr-cli
    /usr/share/doc/kvr-analysis/copyright
    /usr/share/doc/kvr-analysis/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/kvr-analysis.png"
               "/usr/share/icons/hicolor/${size}x${size}/mimetypes/${mime_type//\//-}.png")
done
for f in "${expected[@]}"; do
    grep -qxF "$f" "$tmp/contents" || fail "not in the package: $f"
done
# Only the two programs and their data: no tests, benchmarks, libraries or
# headers, nothing outside /usr.
unexpected=$(grep -v -e '^/usr$' -e '^/usr/share' -e '^/usr/bin$' -e '^/usr/bin/kvr-analysis$' -e '^/usr/bin/kvr-cli$' "$tmp/contents" || true)
[ -z "$unexpected" ] || fail "unexpected in the package: $unexpected"
grep -E '\.(a|so|h)$' "$tmp/contents" && fail "libraries or headers in the package"

# Control fields: run-time dependencies, the version of the changelog
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-wqy-microhei qttranslations5-l10n libqt5widgets5 libminizip1 libxlsxwriter4; do
    [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
changelog_version=$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Version)
[ "$version" = "$changelog_version" ] || fail "package version $version, changelog $changelog_version"

# Unpacked into a scratch root
root=$tmp/root
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$desktop_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$desktop_id.metainfo.xml" >"$tmp/appstream.log" 2>&1 \
    || { cat "$tmp/appstream.log" >&2; fail "appstreamcli validate"; }
for prog in kvr-analysis kvr-cli; do
    zcat "$root/usr/share/man/man1/$prog.1.gz" | grep -q '^\.SH "EXIT STATUS"' || fail "$prog.1 has no EXIT STATUS section"
    zcat "$root/usr/share/man/man1/$prog.1.gz" | grep -qF "$version" || fail "$prog.1 does not name version $version"
done

# The installed programs: version and help without a display, the report
# template found in the package's data folder, the self-check.
export KVR_DATA_ROOT=$tmp/data/ QT_LOGGING_RULES=default.debug=false
bin=$root/usr/bin
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/kvr-cli" --version)" = "kvr-cli $version" ] || fail "kvr-cli --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/kvr-analysis" --version)" = "kvr-analysis $version" ] \
    || fail "kvr-analysis --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/kvr-analysis" --help | grep -q '^Usage: kvr-analysis' \
    || fail "kvr-analysis --help without a display"
"$bin/kvr-cli" word "$src/demo/demo.ard" -o "$tmp/report.docx" 2>"$tmp/word.log" && [ -s "$tmp/report.docx" ] \
    || { cat "$tmp/word.log" >&2; fail "installed kvr-cli word (template in /usr/share/kvr-analysis)"; }
# In both interface languages: the English one is compiled into the program.
for lang in zh_CN.UTF-8 en_US.UTF-8; do
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=$lang QT_QPA_PLATFORM=offscreen \
        "$bin/kvr-analysis" --self-check "$tmp/self-check" "$src/demo/demo.ard" >"$tmp/self-check.log" 2>&1 \
        || { grep -v '^ok' "$tmp/self-check.log" >&2; fail "installed kvr-analysis --self-check with LANG=$lang"; }
done
grep -q '^ok   interface in English' "$tmp/self-check.log" || fail "installed kvr-analysis speaks English with LANG=en_US.UTF-8"

# The file type and the default application, as the package's dpkg triggers
# leave them (update-mime-database, update-desktop-database), asked the way
# a desktop asks (gio through xdg-mime).
update-mime-database "$root/usr/share/mime" 2>/dev/null
update-desktop-database "$root/usr/share/applications"
xdg() {
    env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_DATA_DIRS="$root/usr/share" XDG_DATA_HOME="$tmp/home/share" \
        XDG_CONFIG_HOME="$tmp/home/config" XDG_CURRENT_DESKTOP=GNOME xdg-mime "$@"
}
bash -n "$root/usr/share/bash-completion/completions/kvr-cli" || fail "kvr-cli bash completion"
cp "$src/demo/demo.ard" "$tmp/original-renamed.bin"
"$bin/kvr-cli" convert "$src/demo/demo.ard" -o "$tmp/analysed.ard" 2>/dev/null || fail "installed kvr-cli convert"
cp "$tmp/analysed.ard" "$tmp/analysed-renamed"
# The tag word of a survey without a survey's type text.
{ printf '\xcd\xab\x34\x12ARD-XYZ V1.1.2736'; head -c 20000 /dev/zero; } >"$tmp/not-a-survey.bin"
for f in "$src/demo/demo.ard" "$tmp/original-renamed.bin" "$tmp/analysed-renamed"; do
    [ "$(xdg query filetype "$f")" = "$mime_type" ] || fail "file type of $(basename "$f"): $(xdg query filetype "$f")"
done
[ "$(xdg query filetype "$tmp/not-a-survey.bin")" != "$mime_type" ] || fail "a file with only the tag word taken for a survey"
[ "$(xdg query default "$mime_type")" = "$desktop_id.desktop" ] || fail "default for $mime_type: $(xdg query default "$mime_type")"

if [ $failures -ne 0 ]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "package checks passed"

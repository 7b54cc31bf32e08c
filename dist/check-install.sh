#!/usr/bin/env bash
# Installs the build into a staging folder as a package would, checks the
# installed tree, validates the desktop entries and the AppStream metainfo,
# makes the Debian package and runs lintian on it.
#   check-install.sh BUILD_DIR STAGING_DIR
# Exits 77 (skipped) when every check it could run passed but a validator is
# missing; any fault found fails it.
set -uo pipefail
build=$1
staging=$2
failures=0
missing=()

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
have() { command -v "$1" >/dev/null 2>&1 || { missing+=("$1"); return 1; }; }

rm -rf "$staging"
mkdir -p "$staging"
DESTDIR="$staging/root" cmake --install "$build" --prefix /usr >"$staging/install.log" 2>&1 || {
    cat "$staging/install.log"; echo "FAIL: cmake --install"; exit 1; }
root=$staging/root/usr

# The installed tree.
expected=(
    bin/Vorlen3 bin/VNConfig
    share/applications/net.vorlener.Vorlen3.desktop share/applications/net.vorlener.VNConfig.desktop
    share/metainfo/net.vorlener.Vorlen3.metainfo.xml
    share/man/man1/Vorlen3.1.gz share/man/man1/VNConfig.1.gz
    share/doc/calllog/VNUM.pdf share/doc/calllog/README.md share/doc/calllog/copyright
    share/doc/calllog/changelog.gz
)
for icon in calllog-vorlen3 calllog-vnconfig; do
    expected+=("share/icons/hicolor/scalable/apps/$icon.svg")
    for size in 16 24 32 48 64 128 256; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/$icon.png")
    done
done
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "not installed: $file"
done
for program in Vorlen3 VNConfig; do
    [ -x "$root/bin/$program" ] || fail "not executable: bin/$program"
    version=$("$root/bin/$program" --version 2>&1) || fail "$program --version failed"
    [[ $version == "$program "[0-9]* ]] || fail "$program --version said: $version"
done

# Each PNG icon is as large as the folder it is in says.
for png in "$root"/share/icons/hicolor/*x*/apps/*.png; do
    [ -f "$png" ] || continue
    size=$(basename "$(dirname "$(dirname "$png")")")
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || { fail "not a PNG: $png"; continue; }
    width=$(od -An -tu4 --endian=big -j16 -N4 "$png" | tr -d ' ')
    height=$(od -An -tu4 --endian=big -j20 -N4 "$png" | tr -d ' ')
    [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}"
done

# Each desktop entry starts an installed program, in the per-user folder, with an installed icon.
for entry in "$root"/share/applications/*.desktop; do
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    program=${exec_line%% *}
    [ -x "$root/bin/$program" ] || fail "$entry starts $program, which is not installed"
    [[ $exec_line == *--user-folder* ]] || fail "$entry does not start in the per-user folder"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry names a missing icon $icon"
    for key in Categories Keywords Comment; do
        grep -q "^$key=" "$entry" || fail "$entry has no $key"
    done
done

# The manual pages and the changelog are whole gzip files without a time stamp.
for gz in "$root"/share/man/man1/*.gz "$root"/share/doc/calllog/changelog.gz; do
    gzip -t "$gz" || fail "damaged: $gz"
    [ "$(od -An -tx1 -j4 -N4 "$gz" | tr -d ' \n')" = 00000000 ] || fail "time stamp in $gz"
done

# Nothing is installed outside /usr.
others=$(cd "$staging/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$others" ] || fail "installed outside /usr: $others"

if have desktop-file-validate; then
    for entry in "$root"/share/applications/*.desktop; do
        output=$(desktop-file-validate "$entry" 2>&1)
        [ $? -eq 0 ] && [ -z "$output" ] || fail "desktop-file-validate $entry: $output"
    done
fi

if have appstreamcli; then
    output=$(appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml 2>&1) ||
        fail "appstreamcli validate: $output"
    if grep -qE '^(E|W):' <<<"$output"; then fail "appstreamcli validate: $output"; fi
fi

if have cpack && have dpkg-shlibdeps && have dpkg-deb; then
    (cd "$staging" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$staging/package") \
        >"$staging/cpack.log" 2>&1 || { cat "$staging/cpack.log"; fail "cpack -G DEB"; }
    deb=$(ls "$staging"/package/*.deb 2>/dev/null | head -n 1)
    if [ -n "$deb" ]; then
        depends=$(dpkg-deb --field "$deb" Depends)
        for needed in libqt6widgets6 libssl3 fonts-liberation2 fonts-liberation fonts-dejavu-core qt6-qpa-plugins libqt6sql6-sqlite libqt6charts6 libqt6svg6; do
            [[ $depends == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
        done
        if have lintian; then
            # Lintian warns once when run as root; that line is not about the package.
            output=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1)
            status=$?
            output=$(grep -v 'running with root privileges' <<<"$output")
            [ $status -eq 0 ] || fail "lintian $(basename "$deb"):"$'\n'"$output"
            [ -z "$output" ] || echo "lintian: $output"
        fi
    else
        fail "cpack made no package"
    fi
fi

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Skipped: not installed: ${missing[*]}"
    exit 77
fi
echo "The installed tree, the desktop entries, the metainfo and the package are clean."

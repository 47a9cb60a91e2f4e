#!/usr/bin/env bash
# The Debian package as a user gets it (`make package` builds it): lintian reports no error or
# warning, both menu entries, the manual page and the software centres' metadata are valid, it holds exactly the expected
# files, its dependencies are runtime libraries only, and its capture tool, unpacked, writes
# exactly the build tree's PNG on the test X server.
set -u
. "$(dirname "$0")/skip.sh"
bin=$1
deb=$(ls "$bin"/vellum_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || skip "no package in $bin (make package builds it)"
for tool in lintian desktop-file-validate man dpkg-deb appstreamcli rpm rpmlint; do
    command -v $tool >/dev/null || skip "$tool is not installed"
done
root=$(mktemp -d)
trap 'rm -rf "$root" "$root.appstream"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

tags=$(lintian "$deb" 2>/dev/null | grep -E '^[EW]: ')
[ -z "$tags" ] || fail "lintian: $tags"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/vellum-{1080,720}.desktop || fail "desktop entries"
warnings=$(man --warnings -E UTF-8 -l "$root/usr/share/man/man6/vellum-1080.6.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page: $warnings"
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml >"$root.appstream" 2>&1 ||
    fail "the AppStream metadata: $(cat "$root.appstream")"

files=$(cd "$root" && find . -type f -o -type l | sort | tr '\n' ' ')
expected="./usr/bin/vellum-1080 ./usr/bin/vellum-720 ./usr/bin/vellum-capture-1080 ./usr/bin/vellum-capture-720 \
./usr/libexec/xscreensaver/vellum ./usr/share/applications/screensavers/vellum.desktop \
./usr/share/applications/vellum-1080.desktop ./usr/share/applications/vellum-720.desktop \
./usr/share/doc/vellum/README.md ./usr/share/doc/vellum/changelog.gz ./usr/share/doc/vellum/copyright \
./usr/share/icons/hicolor/128x128/apps/vellum.png ./usr/share/icons/hicolor/256x256/apps/vellum.png \
./usr/share/icons/hicolor/48x48/apps/vellum.png ./usr/share/man/man6/vellum-1080.6.gz \
./usr/share/man/man6/vellum-720.6.gz ./usr/share/man/man6/vellum-capture-1080.6.gz \
./usr/share/man/man6/vellum-capture-720.6.gz ./usr/share/metainfo/org.example.vellum.metainfo.xml \
./usr/share/xscreensaver/config/vellum.xml "
[ "$files" = "$expected" ] || fail "the package holds: $files"
# The RPM holds the same files, and rpmlint finds no error in it.
rpm=$(ls "$bin"/vellum-*.rpm 2>/dev/null | head -n 1)
[ -n "$rpm" ] || fail "no RPM beside the Debian package in $bin"
# Files and links; the RPM also owns its documentation's directory, as RPMs do.
rpmfiles=$(rpm -qp --qf '[%{FILEMODES:perms} %{FILENAMES}\n]' "$rpm" 2>/dev/null | grep -v '^d' | sed 's,^[^ ]* ,.,' |
    sort | tr '\n' ' ')
[ "$rpmfiles" = "$expected" ] || fail "the RPM holds: $rpmfiles"
# Unsigned: signing is the distributor's step, with the distributor's key.
errors=$(rpmlint "$rpm" 2>&1 | grep -E '^[^ ]+: E: ' | grep -v ': E: no-signature')
[ -z "$errors" ] || fail "rpmlint: $errors"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libglfw3' <<<"$depends" && ! grep -q -- '-dev' <<<"$depends" || fail "depends on: $depends"

version=$("$root/usr/bin/vellum-capture-720" --version) || fail "--version"
[ "$version" = "vellum-capture-720 $(dpkg-deb -f "$deb" Version)" ] || fail "--version says $version"
"$root/usr/bin/vellum-capture-720" "$root/installed.png" || fail "the installed capture tool"
"$bin/vellum-capture-720" "$root/built.png" || fail "the build tree's capture tool"
cmp -s "$root/installed.png" "$root/built.png" || fail "the installed program draws another picture"
echo "package: 1 passed, 0 failed ($(stat -c %s "$deb") bytes; Depends: $depends)"

#!/bin/sh
# Checks the files that make the desktop show Windows programs' icons as
# thumbnails: the shared MIME package compiles, maps each file name to its
# type, and every type it defines (with the two the database already has) is
# one the thumbnailer entry takes. Usage: check-desktop-files.sh FOLDER
set -eu
folder=$1
thumbnailer=$folder/glintgatherer.thumbnailer
package=$folder/glintgatherer-mime.xml
status=0
fail() { echo "FAIL: $*"; status=1; }

grep -qx '\[Thumbnailer Entry\]' "$thumbnailer" || fail "no [Thumbnailer Entry] group"
grep -qx 'TryExec=glint-extract' "$thumbnailer" || fail "TryExec is not glint-extract"
grep -qx 'Exec=glint-extract --thumbnail %s %i %o' "$thumbnailer" || fail "Exec is not the --thumbnail form"
types=$(sed -n 's/^MimeType=//p' "$thumbnailer")
for type in $(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$package") application/x-ms-dos-executable image/vnd.microsoft.icon; do
  case ";$types" in *";$type;"*) ;; *) fail "the thumbnailer does not take $type" ;; esac
done

if ! command -v update-mime-database >/dev/null; then
  echo "update-mime-database is not installed (Debian package shared-mime-info): the package is not compiled"
  exit $status
fi
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
database=$data/mime
mkdir -p "$database/packages"
cp "$package" "$database/packages/"
# The database reports a package it cannot read on standard error and leaves it out.
errors=$(XDG_DATA_DIRS=$data update-mime-database "$database" 2>&1 >/dev/null) || fail "update-mime-database failed: $errors"
[ -z "$errors" ] || fail "update-mime-database: $errors"
for pair in dll:application/x-msdownload cpl:application/x-msdownload ocx:application/x-msdownload \
            scr:application/x-msdownload icl:application/x-ms-icon-library; do
  grep -q ":${pair#*:}:\*\.${pair%%:*}\$" "$database/globs2" || fail "*.${pair%%:*} is not ${pair#*:}"
done
grep -q 'application/x-ms-ne-executable' "$database/magic" || fail "NE files have no magic"
exit $status

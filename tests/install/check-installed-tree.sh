#!/bin/sh
# Checks an installed tree of both programs: PREFIX is /usr after the package
# is installed, or the usr folder of a staging folder (DESTDIR).
#   check-installed-tree.sh PREFIX
# Every program and data file is in its place, no settings file is installed
# (each user's is made at the first start), each desktop entry has its
# metainfo and icons under the same id and passes the validators, and the
# manual pages read without warnings.
set -eu
prefix=$1
failures=0
fail() {
  echo "check-installed-tree: $*" >&2
  failures=$((failures + 1))
}

for program in bin/sonorbox bin/GlintGatherer bin/sonorbox-decode bin/glint-extract \
               libexec/glintgatherer/glint-extract-image; do
  [ -f "$prefix/$program" ] && [ -x "$prefix/$program" ] || fail "$program is missing or not a program"
done
for file in share/sonorbox/demo.mp3 share/sonorbox/skins/Default/Skin.ini share/sonorbox/skins/Default/MainUp.bmp \
            share/sonorbox/skins/Default/MainDown.bmp share/sonorbox/skins/Default/About.bmp \
            share/glintgatherer/glintgat.hlp share/thumbnailers/glintgatherer.thumbnailer \
            share/mime/packages/org.sonorbox.GlintGatherer.xml \
            share/doc/sonorbox/README.md share/doc/sonorbox/copyright share/doc/sonorbox/changelog.gz; do
  [ -f "$prefix/$file" ] || fail "$file is missing"
done
settings=$(find "$prefix" -iname Sonorbox.ini)
[ -z "$settings" ] || fail "a settings file is installed: $settings"

# A PNG's width and height, from its header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

entries=0
for entry in "$prefix"/share/applications/org.sonorbox.*.desktop; do
  [ -f "$entry" ] || continue
  entries=$((entries + 1))
  id=$(basename "$entry" .desktop)
  desktop-file-validate "$entry" || fail "$id.desktop does not validate"
  grep -qx "Icon=$id" "$entry" || fail "$id.desktop names another icon"
  program=$(sed -n 's/^TryExec=//p' "$entry")
  [ -x "$prefix/bin/$program" ] || fail "$id.desktop starts $program, which is not installed"
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "$id.metainfo.xml does not validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
  for size in 16 22 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    if [ ! -f "$icon" ]; then
      fail "$id has no $size pixel icon"
    elif [ "$(png_size "$icon")" != "${size}x$size" ]; then
      fail "$id's $size pixel icon is $(png_size "$icon")"
    fi
  done
  grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" 2>/dev/null || fail "$id has no scalable icon"
done
[ "$entries" -eq 2 ] || fail "$entries desktop entries instead of 2"

# The thumbnailer runs a program that is installed, for types the MIME package
# or the system's database define.
thumbnailer="$prefix/share/thumbnailers/glintgatherer.thumbnailer"
if [ -f "$thumbnailer" ]; then
  program=$(sed -n 's/^TryExec=//p' "$thumbnailer")
  [ -x "$prefix/bin/$program" ] || fail "the thumbnailer starts $program, which is not installed"
fi

for page in sonorbox sonorbox-decode GlintGatherer glint-extract; do
  manual="$prefix/share/man/man1/$page.1.gz"
  if [ ! -f "$manual" ]; then
    fail "no manual page for $page"
  elif [ -n "$(gzip -dc "$manual" | groff -man -ww -z 2>&1)" ]; then
    fail "the manual page of $page has faults: $(gzip -dc "$manual" | groff -man -ww -z 2>&1)"
  fi
done

[ "$failures" -eq 0 ] || exit 1
echo "check-installed-tree: $prefix holds both programs as installed"

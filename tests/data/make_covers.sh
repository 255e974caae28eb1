#!/bin/sh
# make_covers.sh OUTDIR: tracks with cover pictures that real taggers wrote,
# for the cover reader's Windows test and the end-to-end run (e2e/). ffmpeg
# encodes and draws the pictures (red.jpg, blue.png, ... at OUTDIR's top, the
# bytes each case must give back);
# eyeD3 tags ID3v2.3 and 2.4, ffmpeg writes attached pictures; python3 cuts
# and patches the damaged files and builds the WAV file's ID3 chunk. Each
# case whose folder images matter has a folder of its own.
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -hide_banner -loglevel error -nostdin -fflags +bitexact "$@"; }
# tag_image FILE --to-v2.3|--to-v2.4 IMAGE:TYPE[:DESCRIPTION]...: eyeD3 adds
# each picture after the ones before.
tag_image() {
  file=$1 version=$2
  shift 2
  for image in "$@"; do
    eyeD3 --quiet --no-color "$version" --add-image "$image" "$file" >/dev/null
  done
}

ff -f lavfi -i sine=frequency=440:duration=0.3 -map_metadata -1 -c:a libmp3lame -id3v2_version 0 \
  -write_id3v1 0 notag.mp3
ff -f lavfi -i color=red:s=64x64 -frames:v 1 red.jpg
ff -f lavfi -i color=blue:s=48x48 -frames:v 1 blue.png
ff -f lavfi -i color=green:s=32x32 -frames:v 1 green.jpg
ff -f lavfi -i color=yellow:s=40x40 -frames:v 1 yellow.png

# eyeD3's front cover in ID3v2.3 (a UTF-16 description) and in 2.4.
cp notag.mp3 eyed3_v23.mp3
tag_image eyed3_v23.mp3 --to-v2.3 red.jpg:FRONT_COVER
cp notag.mp3 eyed3_v24.mp3
tag_image eyed3_v24.mp3 --to-v2.4 blue.png:FRONT_COVER

# ffmpeg's attached picture, ID3v2.3 and 2.4 (a syncsafe frame size).
for version in 3 4; do
  ff -i notag.mp3 -i red.jpg -map 0 -map 1 -c copy -id3v2_version $version -write_id3v1 0 \
    -metadata:s:v title="Album cover" -metadata:s:v comment="Cover (front)" ffmpeg_v2$version.mp3
done

# Another picture first, the front cover after it.
cp notag.mp3 two_pictures.mp3
tag_image two_pictures.mp3 --to-v2.4 green.jpg:OTHER:other red.jpg:FRONT_COVER:front

# The file cut inside its picture frame, and one whose picture frame claims
# more bytes than the file has; the second's folder has an image.
mkdir truncated claims_more
cp notag.mp3 whole.mp3
tag_image whole.mp3 --to-v2.3 red.jpg:FRONT_COVER
cp blue.png claims_more/front.png
/usr/bin/python3 - <<'PY'
data = open("whole.mp3", "rb").read()
apic = data.index(b"APIC")
open("truncated/track.mp3", "wb").write(data[:apic + 10 + 100])
patched = bytearray(data)
patched[apic + 4:apic + 8] = (len(data) * 2).to_bytes(4, "big")
open("claims_more/track.mp3", "wb").write(bytes(patched))
PY
rm whole.mp3

# A 20 MiB picture (a PNG signature and 20 MiB of bytes): too large, so the
# folder's cover.jpg is the picture.
mkdir large
/usr/bin/python3 -c '
import sys
open("large/huge.png", "wb").write(b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * (20 * 4096))'
cp notag.mp3 large/track.mp3
tag_image large/track.mp3 --to-v2.4 large/huge.png:FRONT_COVER
rm large/huge.png
cp green.jpg large/cover.jpg

# Only a folder image, named in another case.
mkdir folder_image
cp notag.mp3 folder_image/track.mp3
cp yellow.png folder_image/Folder.PNG

# Windows Media Player's picture, beside its small one.
mkdir album_art
cp notag.mp3 album_art/track.mp3
cp green.jpg "album_art/AlbumArt_{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}_Large.jpg"
cp red.jpg album_art/AlbumArtSmall.jpg

# A WAV file whose ID3 chunk (an eyeD3 tag) follows the audio.
ff -f lavfi -i sine=frequency=440:duration=0.3 -map_metadata -1 plain.wav
cp notag.mp3 wave_tag.mp3
tag_image wave_tag.mp3 --to-v2.3 blue.png:FRONT_COVER
/usr/bin/python3 - <<'PY'
import struct
tagged = open("wave_tag.mp3", "rb").read()
size = (tagged[6] << 21) | (tagged[7] << 14) | (tagged[8] << 7) | tagged[9]
tag = tagged[:10 + size]
wave = open("plain.wav", "rb").read()
body = wave[8:] + (b"\0" if len(wave) % 2 else b"") + b"id3 " + struct.pack("<I", len(tag)) + tag
body += b"\0" if len(tag) % 2 else b""
open("tagged.wav", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
rm wave_tag.mp3 plain.wav

# Japanese folder and file names: an embedded picture, and a folder image.
mkdir 日本語のアルバム
cp notag.mp3 日本語のアルバム/曲.mp3
tag_image 日本語のアルバム/曲.mp3 --to-v2.4 red.jpg:FRONT_COVER
cp notag.mp3 日本語のアルバム/タグなし.mp3
cp blue.png 日本語のアルバム/cover.png

# Held open by another program while read.
cp notag.mp3 held_open.mp3
tag_image held_open.mp3 --to-v2.3 blue.png:FRONT_COVER

# The end-to-end run's tracks: titles to tell them apart on the page, two
# embedded pictures, a folder image and none.
mkdir -p e2e/folder
cp notag.mp3 e2e/red.mp3
tag_image e2e/red.mp3 --to-v2.3 red.jpg:FRONT_COVER
cp notag.mp3 e2e/blue.mp3
tag_image e2e/blue.mp3 --to-v2.4 blue.png:FRONT_COVER
cp notag.mp3 e2e/folder/yellow.mp3
cp yellow.png e2e/folder/cover.png
cp notag.mp3 e2e/none.mp3
for title in red:Red blue:Blue folder/yellow:Yellow none:None; do
  eyeD3 --quiet --no-color -t "${title#*:}" "e2e/${title%:*}.mp3" >/dev/null
done

# The end-to-end run's tracks, titled as its captions show them: two with
# pictures of their own, one beside a folder image, one with no picture.
mkdir -p e2e/folder
for track in e2e/red.mp3:Red e2e/blue.mp3:Blue e2e/folder/yellow.mp3:Yellow e2e/none.mp3:None; do
  cp notag.mp3 "${track%%:*}"
  eyeD3 --quiet --no-color --to-v2.3 -t "${track#*:}" "${track%%:*}" >/dev/null
done
tag_image e2e/red.mp3 --to-v2.3 red.jpg:FRONT_COVER
tag_image e2e/blue.mp3 --to-v2.3 blue.png:FRONT_COVER
cp yellow.png e2e/folder/cover.png

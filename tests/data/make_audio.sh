#!/bin/sh
# make_audio.sh OUTDIR: short audio files tagged by real taggers, for the
# tag library tests. ffmpeg encodes; id3v2 writes ID3v1 and ID3v2.3 tags;
# mutagen writes ID3v2.4 and UTF-16 frames with Japanese texts; ffmpeg,
# id3v2, mutagen and eyeD3 each write texts beyond code page 932.
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"

encode() {  # encode OUTPUT [ffmpeg options]
  target=$1
  shift
  ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i sine=frequency=440:duration=0.3 \
    -map_metadata -1 -fflags +bitexact "$@" "$target"
}

# An MP3 with no tag at all: audio frames from the first byte.
encode notag.mp3 -c:a libmp3lame -id3v2_version 0 -write_id3v1 0

# ID3v1 only, 1.0 (30-byte comment) and 1.1 (track number in the comment).
cp notag.mp3 v1.mp3
id3v2 -1 -t "V1 Title" -a "V1 Artist" -A "V1 Album" -c "V1 Comment" -g 17 v1.mp3
cp notag.mp3 v11.mp3
id3v2 -1 -t "Track Title" -a "Track Artist" -A "Track Album" -c "Track Comment" -g 8 -T 7 v11.mp3

# ID3v2.3 only, ISO-8859-1 texts, genre written by number ("(17)").
cp notag.mp3 v23.mp3
id3v2 -2 -t "V2 Title" -a "V2 Artist" -A "V2 Album" -c "V2 Comment" -g 17 v23.mp3

# Markup characters and an apostrophe in ID3v2.3 texts.
cp notag.mp3 markup.mp3
id3v2 -2 -t 'Rock & Roll <Live> "x"' -a "Tom & Jerry" -A "Bob's <Best>" -g 17 markup.mp3

# An empty file: no tag library can load it.
: > empty.mp3

# Both tags: the v2 tag has no album, the v1 tag has one.
cp notag.mp3 both.mp3
id3v2 -1 -t "Old Title" -a "Old Artist" -A "Old Album" -c "Old Comment" -g 0 both.mp3
id3v2 -2 -t "New Title" -a "New Artist" -c "New Comment" -g 13 both.mp3

# Japanese texts in every Unicode encoding: ID3v2.4 with UTF-16 (BOM),
# UTF-16BE and UTF-8 frames, and the same as ID3v2.3 (UTF-16 only there).
cp notag.mp3 v24_japanese.mp3
cp notag.mp3 v23_japanese.mp3
/usr/bin/python3 - <<'PY'
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, COMM
for name, version in (("v24_japanese.mp3", 4), ("v23_japanese.mp3", 3)):
    tag = ID3()
    tag.add(TIT2(encoding=1, text="テスト曲"))
    tag.add(TPE1(encoding=2, text="歌手"))
    tag.add(TALB(encoding=3, text="アルバム"))
    tag.add(COMM(encoding=1, lang="jpn", desc="iTunNORM", text=" 0000 0000"))
    tag.add(COMM(encoding=1, lang="jpn", desc="", text="コメント"))
    tag.add(TCON(encoding=0, text="(9)"))
    tag.save(name, v1=0, v2_version=version)
PY

# A WAV file with LIST/INFO texts, and one without.
encode info.wav -metadata title="Wave Title" -metadata artist="Wave Artist" \
  -metadata album="Wave Album" -metadata comment="Wave Comment" -metadata genre="Ambient"
encode plain.wav

# An MP3 wrapped in RIFF (RMP3) with INFO texts; no common tool writes these.
/usr/bin/python3 - <<'PY'
import struct
def chunk(cid, data):
    return cid + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
audio = open("notag.mp3", "rb").read()
info = b"INFO" + b"".join(chunk(k, v + b"\0") for k, v in (
    (b"INAM", b"Riff Title"), (b"IART", b"Riff Artist"), (b"IPRD", b"Riff Album"),
    (b"ICMT", b"Riff Comment"), (b"IGNR", b"Riff Genre")))
body = b"RMP3" + chunk(b"data", audio) + chunk(b"LIST", info)
open("riff.rmp", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY

# Texts code page 932 cannot hold, each file by another tagger: ffmpeg
# writes ID3v2.4 UTF-8 frames, id3v2 ISO-8859-1 ones (given Latin-1 bytes),
# mutagen UTF-16 ones into a file whose name is Hangul, eyeD3 UTF-16 ones.
ffmpeg -hide_banner -loglevel error -nostdin -i notag.mp3 -c copy -id3v2_version 4 -write_id3v1 0 \
  -metadata title="Halo ♡" -metadata artist="Beyoncé" -metadata album="I Am... Sasha Fierce" \
  -metadata genre="Pop" beyonce.mp3
cp notag.mp3 sigur_ros.mp3
id3v2 -2 -t "$(printf 'Hopp\355polla')" -a "$(printf 'Sigur R\363s')" -A "Takk..." -g 26 sigur_ros.mp3
cp notag.mp3 "노래.mp3"
/usr/bin/python3 - <<'PY'
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON
tag = ID3()
tag.add(TIT2(encoding=1, text="안녕하세요 🎵"))
tag.add(TPE1(encoding=1, text="아이유"))
tag.add(TALB(encoding=1, text="꽃갈피"))
tag.add(TCON(encoding=1, text="K-Pop"))
tag.save("노래.mp3", v1=0, v2_version=3)
PY
cp notag.mp3 emoji.mp3
eyeD3 --quiet --no-color --encoding utf16 -t "♡ Love 😀" -a "Café ♡" -A "Émoji" -G "Électro" emoji.mp3 >/dev/null

# A WAV file with INFO texts in code page 932 bytes ("テスト", "歌手"), as
# Japanese Windows programs write them.
/usr/bin/python3 - <<'PY'
import struct
def chunk(cid, data):
    return cid + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
wave = open("plain.wav", "rb").read()
info = b"INFO" + b"".join(chunk(k, v.encode("cp932") + b"\0") for k, v in (
    (b"INAM", "テスト"), (b"IART", "歌手")))
body = wave[8:] + chunk(b"LIST", info)
open("info_cp932.wav", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY

ls -l

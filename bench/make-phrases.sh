#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes bench/data/phrases.tsv, the real Japanese phrases the click-count benchmark types, from glibc's Japanese
# messages: short clauses with kanji, their readings in hiragana from MeCab, and MeCab's morphemes.
#
# Needs the Debian packages: libc-l10n (the messages), mecab and mecab-ipadic-utf8 (the readings), python3.
# Usage: [PHRASES=n] bench/make-phrases.sh [output]   (default: 350 phrases into bench/data/phrases.tsv)
set -eu
export PYTHONIOENCODING=utf-8

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/data/phrases.tsv"}
mo=/usr/share/locale/ja/LC_MESSAGES/libc.mo
dic=/var/lib/mecab/dic/ipadic-utf8
# Enough phrases for a steady average, few enough to keep the file small.
count=${PHRASES:-350}

for f in "$mo" "$dic/sys.dic"; do
    [ -r "$f" ] || { echo "make-phrases: $f missing; install libc-l10n, mecab and mecab-ipadic-utf8" >&2; exit 1; }
done
command -v mecab >/dev/null || { echo "make-phrases: mecab missing; install mecab" >&2; exit 1; }

pkgver=$(dpkg-query -W -f '${Version}' libc-l10n)
mecabver=$(dpkg-query -W -f '${Version}' mecab)
dicver=$(dpkg-query -W -f '${Version}' mecab-ipadic-utf8)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Step 1: the candidate clauses, one a line.
python3 - "$mo" >"$tmp/clauses" <<'PY'
import re, struct, sys

def messages(path):
    # A .mo file: magic, revision, count, offset of the original strings' table, of the translations' table.
    data = open(path, 'rb').read()
    magic = struct.unpack('<I', data[:4])[0]
    end = '<' if magic == 0x950412de else '>'
    _, n, _, toff = struct.unpack(end + '4I', data[4:20])
    for i in range(n):
        length, off = struct.unpack(end + '2I', data[toff + 8 * i:toff + 8 * i + 8])
        text = data[off:off + length].decode('utf-8')
        if i == 0 and text.startswith('Project-Id-Version'):
            continue  # the catalogue's header, not a message
        yield from text.split('\0')  # plural forms

# What the keyboard types as kana, or a conversion gives: hiragana, katakana, the long-vowel mark, kanji (with
# the repeat mark 々), full-width digits, 、 and 。.
typable = re.compile('^[\u3041-\u3096\u30A1-\u30FA\u30FC\u3005\u4E00-\u9FFF\uFF10-\uFF19\u3001\u3002]+$')
kanji = re.compile('[\u4E00-\u9FFF\u3005]')
MAX = 15

def clauses(sentence):
    # Clauses end at 、; neighbouring clauses join while they fit, so a short sentence stays whole.
    parts = [p for p in re.split('(?<=\u3001)', sentence) if p]
    chunk = ''
    for p in parts:
        if chunk and len(chunk) + len(p) > MAX:
            yield chunk
            chunk = ''
        chunk += p
    if chunk:
        yield chunk

seen = set()
for msg in messages(sys.argv[1]):
    # Sentences end at 。！？, a line break, or a colon; anything else odd stays in and rejects the clause.
    for sentence in re.split('(?<=\u3002)|[\uFF01\uFF1F!?\n\uFF1A:]', msg):
        sentence = sentence.strip(' \t\u3000')
        for c in clauses(sentence):
            c = c.rstrip('\u3001')
            if 4 <= len(c) <= MAX and typable.match(c) and kanji.search(c) and c not in seen:
                seen.add(c)
                print(c)
PY

# Step 2: MeCab's analysis of every clause, one run for all.
mecab -d "$dic" <"$tmp/clauses" >"$tmp/mecab"

# Step 3: readings, the checks on them, the choice, and the file.
python3 - "$tmp/clauses" "$tmp/mecab" "$count" "$pkgver" "$mecabver" "$dicver" >"$tmp/out" <<'PY'
import hashlib, re, sys

clauses_path, mecab_path, count, pkgver, mecabver, dicver = sys.argv[1:]
clauses = open(clauses_path, encoding='utf-8').read().split('\n')[:-1]
analyses, cur = [], []
for line in open(mecab_path, encoding='utf-8'):
    line = line.rstrip('\n')
    if line == 'EOS':
        analyses.append(cur)
        cur = []
    else:
        surface, features = line.split('\t')
        cur.append((surface, features.split(',')))
assert len(analyses) == len(clauses), (len(analyses), len(clauses))

def hira(s):
    # Katakana to hiragana; ー has no hiragana twin and stays.
    return ''.join(chr(ord(c) - 0x60) if '\u30A1' <= c <= '\u30F6' else c for c in s)

kana = re.compile('^[\u3041-\u3096\u30A1-\u30FA\u30FC]+$')
digits = re.compile('^[\uFF10-\uFF19]+$')

def morphemes(analysis):
    out = []
    for i, (surface, f) in enumerate(analysis):
        pos = f[0]
        if i == 0 and (pos in ('助詞', '助動詞') or surface[0] in 'ーぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ'):
            return None  # a clause that starts mid-sentence
        if surface in ('\u3001', '\u3002'):
            reading = surface
        elif digits.match(surface):
            reading = surface  # the user types the digits themselves
        elif len(f) >= 8 and f[7] != '*':
            # The reading field (not the pronunciation field) keeps は, へ, を and long vowels as written,
            # which is what the user types.
            reading = hira(f[7])
        elif kana.match(surface):
            reading = hira(surface)  # an unknown kana word reads as it is written
        else:
            return None  # MeCab cannot say how to read it
        if not kana.match(reading) and reading != surface:
            return None
        out.append((surface, hira(reading)))
    return out

# MeCab's misreadings in these messages, checked by eye: a run of surface/reading pairs and what it should be.
# Its dictionary reads 値 as ね (price), 行 as くだり, 開け as あけ, and the suffix 子 as こ; it splits 入力行
# as 入/力行. In messages about files and values these read あたい, ぎょう, ひらけ, し.
FIXES = [
    ('値/ね', '値/あたい'),
    ('行/くだり', '行/ぎょう'),
    ('開け/あけ', '開け/ひらけ'),
    ('記述/きじゅつ 子/こ', '記述/きじゅつ 子/し'),
    ('演算/えんざん 子/こ', '演算/えんざん 子/し'),
    ('省略/しょうりゃく 形/がた', '省略/しょうりゃく 形/けい'),
    ('空/そら で/で', '空/から で/で'),
    ('一月/いちがつ あたり/あたり', '一月/ひとつき あたり/あたり'),
    ('入/にゅう 力行/りっこう', '入力/にゅうりょく 行/ぎょう'),
]
# A typing slip in the catalogue (無効なな月名), not a phrase anyone means to write.
SKIP = {'無効なな月名です'}

def fix(m):
    text = ' ' + ' '.join(s + '/' + r for s, r in m) + ' '
    for old, new in FIXES:
        text = text.replace(' ' + old + ' ', ' ' + new + ' ')
    return [tuple(t.split('/')) for t in text.split()]

rows = []
for order, (clause, analysis) in enumerate(zip(clauses, analyses)):
    m = morphemes(analysis)
    if m is None or ''.join(s for s, _ in m) != clause or clause in SKIP:
        continue
    # A clause cut off before its verb (…アクセス権を) is no phrase.
    last = analysis[-1][1] if m[-1][0] != '\u3002' else analysis[-2][1]
    if last[0] == '助詞' and last[1] in ('格助詞', '係助詞'):
        continue
    m = fix(m)
    reading = ''.join(r for _, r in m)
    # What the benchmark relies on: the pieces make up the phrase, and the reading is typable kana.
    assert ''.join(s for s, _ in m) == clause, clause
    assert re.match('^[\u3041-\u3096\u30FC\uFF10-\uFF19\u3001\u3002]+$', reading), (clause, reading)
    rows.append((order, clause, reading, ' '.join(s + '/' + r for s, r in m)))

# A stable spread over the whole catalogue: the first ones by a hash of the phrase, then back in catalogue order.
rows.sort(key=lambda r: hashlib.sha256(r[1].encode('utf-8')).hexdigest())
rows = sorted(rows[:int(count)])
print(f'# {len(rows)} phrases from the Japanese messages of libc-l10n {pkgver} (glibc; LGPL-2.1-or-later, utilities\' '
      f'messages GPL-2.0-or-later), /usr/share/locale/ja/LC_MESSAGES/libc.mo, split at punctuation, 4-15 characters '
      f'with kanji; readings from mecab {mecabver} with mecab-ipadic-utf8 {dicver}; made by bench/make-phrases.sh. '
      f'Columns: surface, reading (hiragana), morphemes (surface/reading).')
for _, surface, reading, morph in rows:
    print(f'{surface}\t{reading}\t{morph}')
PY

mv "$tmp/out" "$out"
echo "make-phrases: $(($(wc -l <"$out") - 1)) phrases in $out" >&2

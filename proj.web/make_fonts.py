#!/usr/bin/python3
"""Cuts Noto Sans CJK JP (Debian's fonts-noto-cjk) down to the characters the
browser build draws, so that the page stays small:

  make_fonts.py SOURCE_ROOT OUTPUT_FOLDER [FONT_FOLDER]

Both weights get ASCII, kana, Japanese punctuation, full-width forms and
every character in the program's own sources. The regular weight, in which
titles are typed and shown, also gets the first level of JIS X 0208 kanji
(the 2965 in everyday use); the bold one is only used for the program's own
texts. Needs python3-fonttools.
"""
import pathlib
import sys

from fontTools import subset

FOLDERS = ("app", "catalogue", "editor", "engine", "field", "program", "saves", "store", "widgets", "res")
SUFFIXES = (".cpp", ".h", ".plist", ".json")


def ranges(*pairs):
    return "".join(chr(c) for first, last in pairs for c in range(first, last + 1))


# ASCII, Japanese punctuation, hiragana, katakana, full-width forms, and
# the few symbols the screens draw.
COMMON = ranges((0x20, 0x7E), (0xA0, 0xFF), (0x2010, 0x2027), (0x2190, 0x2193), (0x25A0, 0x25CF),
                (0x3000, 0x303F), (0x3041, 0x309F), (0x30A0, 0x30FF), (0xFF01, 0xFF9F))


def jis_level_one():
    """The level-1 kanji, rows 16 to 47 of JIS X 0208, through EUC-JP."""
    found = []
    for row in range(16, 48):
        for cell in range(1, 95):
            try:
                found.append(bytes([0xA0 + row, 0xA0 + cell]).decode("euc_jp"))
            except UnicodeDecodeError:
                pass
    return "".join(found)


def source_characters(root):
    found = set()
    for folder in FOLDERS:
        for path in (root / folder).rglob("*"):
            if path.suffix in SUFFIXES and path.is_file():
                found.update(c for c in path.read_text(encoding="utf-8", errors="ignore") if ord(c) > 0x7F)
    return "".join(sorted(found))


def cut(source, index, text, output):
    options = subset.Options()
    options.font_number = index
    options.layout_features = ["*"]
    options.hinting = False
    options.name_IDs = ["*"]
    options.notdef_outline = True
    font = subset.load_font(str(source), options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)
    subset.save_font(font, str(output), options)


def main():
    root = pathlib.Path(sys.argv[1])
    output = pathlib.Path(sys.argv[2])
    fonts = pathlib.Path(sys.argv[3] if len(sys.argv) > 3 else "/usr/share/fonts/opentype/noto")
    output.mkdir(parents=True, exist_ok=True)
    own = COMMON + source_characters(root)
    # The collections' first face is the Japanese one.
    cut(fonts / "NotoSansCJK-Regular.ttc", 0, own + jis_level_one(), output / "NotoSansJP-Regular.otf")
    cut(fonts / "NotoSansCJK-Bold.ttc", 0, own, output / "NotoSansJP-Bold.otf")


if __name__ == "__main__":
    main()

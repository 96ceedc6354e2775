#!/usr/bin/env python3
"""Generates the single-byte code-page maps of the HTML text layer.

    scripts/gen_code_page_maps.py            # rewrites html/text/CodePageMaps.inc
    scripts/gen_code_page_maps.py --check    # fails when the file is stale

The published mappings come from Python's codecs; a few code pages Python
lacks (Mac Hebrew, Mac Thai) come from Perl's Encode, which ships with the
system's Perl. The converters keep some older forms and private-use values
of their own; those deviations are listed below next to their code page.
"""
import codecs
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "html", "text", "CodePageMaps.inc")

UNDEFINED = 0xFFFF      # positions the publisher leaves out, in the fixed tables
REPLACEMENT = 0xFFFD    # bytes the platform's conversion cannot convert


def decode_python(codec, byte):
    try:
        s = bytes([byte]).decode(codec)
    except UnicodeDecodeError:
        return None
    return ord(s) if len(s) == 1 else None


_perl_cache = {}


def decode_perl(encoding):
    """All 256 bytes through Perl's Encode; None where a byte has no single character."""
    if encoding not in _perl_cache:
        script = ('use Encode; for my $b (0..255) { my $s = eval { decode("%s", chr($b), Encode::FB_CROAK) };'
                  ' print((defined $s && length($s) == 1) ? ord($s) : -1, "\\n"); }' % encoding)
        out = subprocess.run(["perl", "-e", script], check=True, capture_output=True, text=True).stdout.split()
        assert len(out) == 256, encoding
        _perl_cache[encoding] = [None if int(v) < 0 else int(v) for v in out]
    return _perl_cache[encoding]


def full_table(source, undefined):
    if source.startswith("perl:"):
        values = decode_perl(source[5:])
    else:
        values = [decode_python(source, b) for b in range(256)]
    return [undefined if v is None else v for v in values]


def with_overrides(table, overrides):
    table = list(table)
    for byte, value in overrides.items():
        table[byte] = value
    return table


# Pre-euro Macintosh forms: the currency sign at 0xDB, the ohm sign at 0xBD,
# and the publisher's logo position left undefined.
MAC_PRE_EURO = {0xDB: 0x00A4, 0xBD: 0x2126}


def high_maps():
    maps = {}
    for cp in (437, 737, 775, 850, 852, 855, 860, 861, 862, 863, 865, 866):
        maps[cp] = full_table("cp%d" % cp, UNDEFINED)
    maps[20866] = full_table("koi8_r", UNDEFINED)
    maps[10029] = full_table("mac_latin2", UNDEFINED)
    maps[857] = with_overrides(full_table("cp857", UNDEFINED), {0xD5: 0xF8BB, 0xE7: 0xF8BC, 0xF2: 0xF8BD})
    maps[864] = with_overrides(full_table("cp864", UNDEFINED),
                               {0x9B: 0x9B, 0x9C: 0x9C, 0x9F: 0x9F, 0xA6: 0xF8BE, 0xA7: 0xF8BF, 0xFF: 0xF8C0})
    t = full_table("cp869", UNDEFINED)
    for b in list(range(0x80, 0x86)) + [0x87, 0x93, 0x94]:
        t[b] = UNDEFINED
    maps[869] = t
    t = full_table("cp874", UNDEFINED)
    for b in list(range(0x81, 0x85)) + list(range(0x86, 0x91)) + list(range(0x98, 0xA0)):
        t[b] = b
    for i, b in enumerate(list(range(0xDB, 0xDF)) + list(range(0xFC, 0x100))):
        t[b] = 0xF8C1 + i
    maps[874] = t
    # ASMO 708: the Arabic half of ISO 8859-6 with private-use values for the
    # positions the platform fills; the box-drawing rows below 0xA0 have no
    # published source here and stay the replacement character.
    t = full_table("iso8859_6", REPLACEMENT)
    for b in range(0x80, 0xA0):
        t[b] = REPLACEMENT
    t[0xA0] = 0xF8C1
    for b in range(0xC1, 0xDB):
        t[b] = 0x0621 + b - 0xC1
    for b in range(0xE0, 0xF3):
        t[b] = 0x0640 + b - 0xE0
    for b in range(0xF3, 0xF9):
        t[b] = 0xF8C2 + b - 0xF3
    maps[708] = t
    maps[10000] = with_overrides(full_table("mac_roman", UNDEFINED), {**MAC_PRE_EURO, 0xF0: 0xFFFF})
    maps[10079] = with_overrides(full_table("mac_iceland", UNDEFINED), {**MAC_PRE_EURO, 0xF0: 0xFFFF})
    maps[10081] = with_overrides(full_table("mac_turkish", UNDEFINED),
                                 {0xDB: 0x00A4, 0xBD: 0x2126, 0xF0: 0xFFFF, 0xF5: 0xFFFF})
    maps[10082] = with_overrides(full_table("mac_croatian", UNDEFINED), {**MAC_PRE_EURO, 0xD8: 0xFFFD})
    maps[10010] = with_overrides(full_table("mac_romanian", UNDEFINED),
                                 {**MAC_PRE_EURO, 0xF0: 0xFFFD, 0xAF: 0x015E, 0xBF: 0x015F,
                                  0xDE: 0x0162, 0xDF: 0x0163})
    maps[10006] = with_overrides(full_table("mac_greek", UNDEFINED), {0x9C: 0x00AD, 0xAF: 0x0387, 0xFF: 0xFFFF})
    cyrillic = full_table("mac_cyrillic", UNDEFINED)
    maps[10007] = with_overrides(cyrillic, {0xA2: 0x00A2, 0xB6: 0x2202, 0xFF: 0x00A4})
    # Mac Ukrainian is the first Mac Cyrillic with Ghe with upturn at 0xA2/0xB6.
    maps[10017] = with_overrides(cyrillic, {0xA2: 0x0490, 0xB6: 0x0491, 0xFF: 0x00A4})
    arabic_duplicates = (list(range(0xA0, 0xA5)) + list(range(0xA6, 0xAC)) + list(range(0xAD, 0xB0)) + [0xBA]
                         + list(range(0xBC, 0xBF)) + list(range(0xDB, 0xE0)) + list(range(0xFB, 0xFE)))
    assert len(arabic_duplicates) == 26
    maps[10004] = with_overrides(full_table("mac_arabic", UNDEFINED),
                                 {**{b: 0xFFFD for b in arabic_duplicates}, 0xC0: 0x066D})
    maps[10005] = full_table("perl:MacHebrew", UNDEFINED)
    maps[10021] = full_table("perl:MacThai", UNDEFINED)
    assert len(maps) == 30
    return {cp: t[0x80:] for cp, t in maps.items()}


def iso_maps():
    maps = {cp: full_table("iso8859_%d" % part, UNDEFINED)[0xA0:]
            for cp, part in ((28592, 2), (28594, 4), (28600, 10), (28603, 13), (28604, 14), (28606, 16))}
    maps[28593] = full_table("iso8859_3", UNDEFINED)[0xA0:]
    return maps


def europa3_map():
    # Code page 29001 has no published source here: ASCII, and the
    # platform's private-use value at 0xFF; the other high bytes stay the
    # replacement character.
    return list(range(0x80)) + [REPLACEMENT] * 0x7F + [0xF8FF]


# The platform's conversion for the single-byte code pages it knows; bytes it
# cannot convert give the replacement character.
PLATFORM = {37: "cp037", 500: "cp500", 720: "cp720", 875: "cp875", 1026: "cp1026", 1140: "cp1140",
            1250: "cp1250", 1251: "cp1251", 1252: "cp1252", 1253: "cp1253", 1254: "cp1254", 1255: "cp1255",
            1256: "cp1256", 1257: "cp1257", 1258: "cp1258", 20127: "ascii", 20273: "cp273", 20424: "cp424",
            21866: "koi8_u", 38598: "iso8859_8"}


def platform_maps():
    maps = {cp: full_table(codec, REPLACEMENT) for cp, codec in PLATFORM.items()}
    # The default Macintosh code page is Mac Roman, in the form the converters use.
    maps[2] = list(range(0x80)) + high_maps()[10000]
    return maps


def check(high, iso, platform):
    # Rows that tell the forms apart.
    assert high[866][0] == 0x0410 and high[20866][0xE1 - 0x80] == 0x0410
    assert high[10000][0xDB - 0x80] == 0x00A4 and high[10000][0xF0 - 0x80] == 0xFFFF
    assert high[10007][0xA2 - 0x80] == 0x00A2 and high[10007][0xB6 - 0x80] == 0x2202
    assert high[10006][0x9C - 0x80] == 0x00AD and high[10004][0xC0 - 0x80] == 0x066D
    assert iso[28592][0xA1 - 0xA0] == 0x0104
    assert platform[1251][0xC0] == 0x0410 and platform[1252][0x80] == 0x20AC


def render_rows(name, width, maps):
    out = ["const %s %s[] = {\n" % (name[0], name[1])]
    for cp in sorted(maps):
        t = maps[cp]
        assert len(t) == width, (cp, len(t))
        out.append("    {%d, {\n" % cp)
        for i in range(0, width, 8):
            out.append("        " + " ".join("0x%04X," % v for v in t[i:i + 8]) + "\n")
        out.append("    }},\n")
    out.append("};\n\n")
    return "".join(out)


def render():
    high, iso, platform = high_maps(), iso_maps(), platform_maps()
    check(high, iso, platform)
    out = ["// Generated by scripts/gen_code_page_maps.py; edit the script, not this file.\n"]
    out.append(render_rows(("ThtHighMapRow", "HighMapRows"), 128, high))
    out.append(render_rows(("ThtIsoMapRow", "IsoMapRows"), 96, iso))
    out.append(render_rows(("ThtFullMapRow", "FullMapRows"), 256, {29001: europa3_map()}))
    out.append(render_rows(("ThtFullMapRow", "PlatformMapRows"), 256, platform))
    return "".join(out).rstrip("\n") + "\n"


def main():
    text = render()
    old = open(OUT, encoding="utf-8").read() if os.path.exists(OUT) else None
    if old == text:
        return
    if "--check" in sys.argv:
        sys.exit("generated code-page maps are stale: run scripts/gen_code_page_maps.py")
    with open(OUT, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()

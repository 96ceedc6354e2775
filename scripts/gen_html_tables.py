#!/usr/bin/env python3
"""Generates the fixed tables of the HTML text layer.

    scripts/gen_html_tables.py            # rewrites html/text/*Tables.inc
    scripts/gen_html_tables.py --check    # fails when the files are stale

The sources below are the lists as the component defines them; the C++ files
are derived from them so that the tables never drift from one another (every
element maps to symbols that exist, every code page has one converter class).
"""
import html.entities
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "html", "text")

# --- Symbols ---------------------------------------------------------------

ELEM_SYMBOLS = """OtherChar CommandSy StringSy EolSy EofSy HtmlSy HeadSy HtmlEndSy HeadEndSy
FrameSetSy FrameSetEndSy FrameSy NoFramesSy NoFramesEndSy TitleElemSy TitleEndSy BaseSy
LinkElemSy MetaSy StyleSy StyleEndSy ScriptSy ScriptEndSy BaseFontSy BgSoundSy HRSy BRSy
ImageSy PanelSy IFrameSy IFrameEndSy ProgressSy ProgressEndSy MeterSy MeterEndSy MapSy
MapEndSy AreaSy PageSy ObjectSy ObjectEndSy ParamSy SpanSy NoBrSy SpanEndSy NoBrEndSy WbrSy
FontSy BSy ISy SSy StrikeSy USy SubSy SupSy BigSy SmallSy TTSy FontEndSy BEndSy IEndSy SEndSy
StrikeEndSy UEndSy SubEndSy SupEndSy BigEndSy SmallEndSy TTEndSy EmSy StrongSy CodeSy KbdSy
SampSy CiteSy VarSy AbbrSy AcronymSy DfnSy EmEndSy StrongEndSy CodeEndSy KbdEndSy SampEndSy
CiteEndSy VarEndSy AbbrEndSy AcronymEndSy DfnEndSy DelSy InsSy MarkSy TimeSy DelEndSy InsEndSy
MarkEndSy TimeEndSy ASy AEndSy BodySy PSy DivSy CenterSy BodyEndSy PEndSy DivEndSy CenterEndSy
ArticleSy SectionSy MainSy NavSy AsideSy ArticleEndSy SectionEndSy MainEndSy NavEndSy
AsideEndSy H1Sy H2Sy H3Sy H4Sy H5Sy H6Sy H1EndSy H2EndSy H3EndSy H4EndSy H5EndSy H6EndSy
HGroupSy HeaderSy FooterSy AddressSy BlockQuoteSy PreSy HGroupEndSy HeaderEndSy FooterEndSy
AddressEndSy BlockQuoteEndSy PreEndSy OLSy LISy ULSy DirSy MenuSy DLSy DDSy DTSy OLEndSy
LIEndSy ULEndSy DirEndSy MenuEndSy DLEndSy DDEndSy DTEndSy liAloneSy TableSy TableEndSy
ColGroupSy ColGroupEndSy ColSy CaptionSy CaptionEndSy THeadSy TBodySy TFootSy THeadEndSy
TBodyEndSy TFootEndSy TRSy TREndSy THSy TDSy THEndSy TDEndSy FormSy FormEndSy FieldsetSy
FieldsetEndSy LegendSy LegendEndSy LabelSy LabelEndSy TextAreaSy SelectSy OptionSy ButtonSy
ButtonEndSy InputSy TextAreaEndSy SelectEndSy OptionEndSy""".split()

ATTR_SYMBOLS = """OtherAttribute ActionSy ActiveSy AlignSy AltSy BackgroundSy BGColorSy
BGPropertiesSy BorderSy BorderColorSy BorderColorDarkSy BorderColorLightSy CellPaddingSy
CellSpacingSy CharSetSy CheckBoxSy CheckedSy ClassSy ClearSy ColorSy ColsSy ColSpanSy ContentSy
CoordsSy DisabledSy EncTypeSy FaceSy FrameAttrSy FrameBorderSy HeightSy HighSy HrefSy HSpaceSy
HttpEqSy IDSy IsMapSy LabelAttrSy LanguageSy LeftMarginSy LinkSy LoopSy LowSy MarginHeightSy
MarginWidthSy MaxSy MaxLengthSy MediaSy MethodSy MinSy MultipleSy NameSy NoHrefSy NoResizeSy
NoShadeSy NoWrapSy OLinkSy OnBlurSy OnChangeSy OnClickSy OnFocusSy OptimumSy PlaceholderSy
PlainSy RadioSy RatioSy ReadonlySy RelSy RevSy RowsSy RowSpanSy RulesSy ScrollingSy SelectedSy
ShapeSy SizeSy SpanAttrSy SpellCheckSy SrcSy StartSy StyleAttrSy TabIndexSy TargetSy TextSy
TitleSy TopMarginSy TranspSy TypeSy UseMapSy VAlignSy ValueSy VLinkSy VSpaceSy WidthSy
WrapSy""".split()

ATTR_NAMES = """ACTION ACTIVE ALIGN ALT BACKGROUND BGCOLOR BGPROPERTIES BORDER BORDERCOLOR
BORDERCOLORDARK BORDERCOLORLIGHT CELLPADDING CELLSPACING CHARSET CHECKBOX CHECKED CLASS CLEAR
COLOR COLS COLSPAN CONTENT COORDS DISABLED ENCTYPE FACE FRAME FRAMEBORDER HEIGHT HIGH HREF
HSPACE HTTP-EQUIV ID ISMAP LABEL LANGUAGE LEFTMARGIN LINK LOOP LOW MARGINHEIGHT MARGINWIDTH MAX
MAXLENGTH MEDIA METHOD MIN MULTIPLE NAME NOHREF NORESIZE NOSHADE NOWRAP OLINK ONBLUR ONCHANGE
ONCLICK ONFOCUS OPTIMUM PLACEHOLDER PLAIN RADIO RATIO READONLY REL REV ROWS ROWSPAN RULES
SCROLLING SELECTED SHAPE SIZE SPAN SPELLCHECK SRC START STYLE TABINDEX TARGET TEXT TITLE
TOPMARGIN TRANSP TYPE USEMAP VALIGN VALUE VLINK VSPACE WIDTH WRAP""".split()

ELEMENT_NAMES = """HTML TITLE BODY HEAD B I H1 H2 H3 H4 H5 H6 EM STRONG U INS DEL CITE VAR ABBR
ACRONYM DFN TT CODE KBD SAMP OL UL DIR MENU DL A ADDRESS BLOCKQUOTE PRE CENTER TABLE TD TH
CAPTION FORM TEXTAREA SELECT OPTION FONT SUB SUP BIG SMALL P MAP FRAMESET NOFRAMES SCRIPT DIV S
STRIKE TR NOBR STYLE SPAN COLGROUP LABEL THEAD TBODY TFOOT OBJECT DD DT LI FIELDSET LEGEND BR HR
IMG IFRAME BASE BUTTON INPUT BASEFONT AREA FRAME PAGE BGSOUND META PANEL WBR LINK COL PARAM MAIN
HEADER SECTION NAV ARTICLE ASIDE FOOTER HGROUP MARK TIME PROGRESS METER""".split()

VOID_ELEMENTS = set("BR HR IMG BASE INPUT BASEFONT AREA FRAME PAGE BGSOUND META PANEL WBR LINK COL PARAM".split())
START_EXCEPTIONS = {"TITLE": "TitleElemSy", "IMG": "ImageSy", "LINK": "LinkElemSy"}
END_EXCEPTIONS = {"TITLE": "TitleEndSy"}


def element_rows():
    by_lower = {s.lower(): s for s in ELEM_SYMBOLS}
    rows = []
    for name in ELEMENT_NAMES:
        start = START_EXCEPTIONS.get(name) or by_lower[name.lower() + "sy"]
        if name in VOID_ELEMENTS:
            end = "CommandSy"
        else:
            end = END_EXCEPTIONS.get(name) or by_lower[name.lower() + "endsy"]
        rows.append((name, start, end))
    return rows


def entity_rows():
    rows = sorted(html.entities.name2codepoint.items(), key=lambda kv: (kv[1], kv[0]))
    rows.append(("apos", 8217))  # the typographic apostrophe, as rsquo
    return rows

# --- Code pages ------------------------------------------------------------

def expand(ranges):
    out = []
    for part in ranges.replace(",", " ").split():
        if "-" in part[1:]:
            a, b = part.split("-") if not part.startswith("-") else (part, part)
            out.extend(range(int(a), int(b) + 1))
        else:
            out.append(int(part))
    return out

CONVERTERS = [
    ("TBuffConverter", "1200 1201 28591"),
    ("TBuffConvUTF8", "65001"),
    ("TBuffConvUTF7", "65000"),
    ("TBuffConvHighMap", "437 708 737 775 850 852 855 857 860 861 862 863 864 865 866 869 874 10000 "
                         "10004 10005 10006 10007 10010 10017 10021 10029 10079 10081 10082 20866"),
    ("TBuffConvIsoMap", "28592 28593 28594 28600 28603 28604 28606"),
    ("TBuffConvSingleByteMap", "29001"),
    ("TBuffConvShiftJis932", "932 943"),
    ("TBuffConvIBM936", "936"),
    ("TBuffConvHangeul949", "949"),
    ("TBuffConvBig5CP950", "950 51950"),
    ("TBuffConvDoubleByte", "51936 51949"),
    ("TBuffConvEUC_JP", "51932"),
    ("TBuffConvGB18030", "54936"),
    ("TBuffConvISO2022JP", "50220 50221 50222"),
    ("TBuffConvISO2022KR", "50225"),
    ("TBuffConvISO2022CN", "50227"),
    ("TBuffConvSingleByte", "-1 0 1 2 37 500 709 710 720 858 870 875 922 1026 1047 1140-1149 1250-1258 "
                            "1361 10001 10002 10003 10008 12000 12001 20000-20005 20105-20108 20127 20261 "
                            "20269 20273 20277 20278 20280 20284 20285 20290 20297 20420 20423 20424 20833 "
                            "20838 20871 20880 20905 20924 20932 20936 20949 21025 21027 21866 28595-28599 "
                            "28601 28605 38598 50229 50930 50931 50933 50935 50936 50937 50939 52936 "
                            "57002-57011"),
]

CHARSETS = [
    (-1, "-1 21027 57002-57011"),
    (0, "37 437 500 850 858 860 861 863 865 1047 1140-1149 1252 10000 10079 20105-20108 20127 20261 "
        "20269 20273 20277 20278 20280 20284 20285 20297 20871 20924 28591 28593 28594 28600 28604 "
        "28605 28606 29001 50931"),
    (1, "0 1200 1201 12000 12001 65000 65001"),
    (77, "2"),
    (255, "1"),
    (128, "932 943 10001 20290 20932 50220 50221 50222 50930 50939 51932"),
    (129, "949 10003 20833 20949 50225 50933 51949"),
    (130, "1361"),
    (134, "936 10008 20936 50227 50935 50936 51936 52936 54936"),
    (136, "950 10002 20000-20005 50229 50937 51950"),
    (161, "737 869 875 1253 10006 20423 28597"),
    (162, "857 1026 1254 10081 20905 28599"),
    (163, "1258"),
    (177, "862 1255 10005 20424 28598 38598"),
    (178, "708 709 710 720 864 1256 10004 20420 28596"),
    (186, "775 922 1257 28603"),
    (204, "855 866 1251 10007 10017 20866 20880 21025 21866 28595"),
    (222, "874 10021 20838 28601"),
    (238, "852 870 1250 10010 10029 10082 28592"),
]

DESCRIPTIONS = {-1: "Unknown", 0: "Default ANSI CP", 1: "Default OEM CP", 2: "Default MAC CP",
                1200: "Unicode (UTF-16LE)", 1201: "Unicode (UTF-16BE)", 65000: "Unicode (UTF-7)",
                65001: "Unicode (UTF-8)", 21027: "(deprecated)"}

CHARSET_NAMES = [
    (708, ["708", "asmo-708"]), (737, ["737", "ibm737"]), (437, ["cp437", "cspc8codepage437"]),
    (775, ["775", "ibm775", "cp775", "cspc775baltic"]), (850, ["850", "ibm850", "cp850", "cspc850multilingual"]),
    (852, ["852", "ibm852", "cp852", "cspcp852"]), (855, ["855", "ibm855", "cp855", "csibm855"]),
    (857, ["857", "ibm857", "cp857", "csibm857"]),
    (858, ["858", "ibm00858", "cp858", "ccsid00858", "cp00858", "pc-multilingual-850+euro"]),
    (860, ["860", "ibm860", "cp860", "csibm860"]), (861, ["861", "ibm861", "cp861", "csibm861", "cp-is"]),
    (862, ["862", "ibm862", "cp862", "cspc862latinhebrew"]), (863, ["863", "ibm863", "cp863", "csibm863"]),
    (864, ["864", "ibm864", "cp864", "csibm864"]), (865, ["865", "ibm865", "cp865", "csibm865"]),
    (866, ["866", "ibm866", "cp866", "csibm866"]), (869, ["869", "ibm869", "cp869", "cp-gr", "csibm869"]),
    (874, ["874", "windows-874", "dos-874", "cp874", "thai", "tis-620", "tis620"]), (922, ["922", "cp922"]),
    (932, ["932", "ms_kanji", "csshiftjis", "cswindows31j", "shift-jis", "shift_jis", "shiftjis", "x-ms-cp932",
           "ms932", "cp932", "x-sjis"]),
    (936, ["936", "gbk", "cp936", "ms936", "windows-936", "chinese"]), (943, ["943", "cp943"]),
    (949, ["949", "cp949", "unc", "ks_c_5601-1987", "iso-ir-149", "ks_c_5601-1989", "ksc_5601", "ksc5601",
           "ks_c_5601", "korean", "csksc56011987", "5601", "hangeul"]),
    (950, ["950", "cp950", "big5", "big-5", "csbig5", "cn-big5", "x-x-big5", "ms950", "big5-hkscs", "big-five",
           "bigfive"]),
    (1200, ["utf-16le", "utf16le", "unicode", "utf-16"]), (1201, ["utf-16be", "utf16be", "unicodefffe"]),
    (1250, ["1250", "x-cp1250", "cp-1250", "cp1250", "ms-ee", "windows-1250", "easteurope"]),
    (1251, ["1251", "x-cp1251", "cp-1251", "cp1251", "ms-cyr", "ms-cyrl", "win-1251", "win1251", "windows-1251",
            "russian"]),
    (1252, ["1252", "windows-1252", "cp1252", "cp-1252", "x-ansi", "ms-ansi", "ansi"]),
    (1253, ["1253", "windows-1253", "cp-1253", "cp1253", "ms-greek"]),
    (1254, ["1254", "windows-1254", "cp-1254", "cp1254", "ms-turk", "turkish"]),
    (1255, ["1255", "windows-1255", "cp-1255", "cp1255", "ms-hebr"]),
    (1256, ["1256", "windows-1256", "cp1256", "cp-1256", "ms-arab"]),
    (1257, ["1257", "windows-1257", "cp-1257", "cp1257", "winbaltrim"]),
    (1258, ["1258", "windows-1258", "cp-1258", "cp1258", "vietnamese"]), (1361, ["johab", "cp1361"]),
    (10000, ["macintosh", "csmacintosh", "mac", "macroman"]), (10004, ["x-mac-arabic"]),
    (10005, ["x-mac-hebrew"]), (10006, ["x-mac-greek"]), (10007, ["x-mac-cyrillic", "maccyrillic"]),
    (10010, ["x-mac-romanian"]), (10017, ["x-mac-ukrainian"]), (10021, ["x-mac-thai"]),
    (10029, ["x-mac-ce", "cmac", "macce", "maccentraleurope"]), (10079, ["x-mac-icelandic"]),
    (10081, ["x-mac-turkish"]), (10082, ["x-mac-croatian"]),
    (20127, ["us-ascii", "ansi_x3.4-1968", "iso-ir-6", "ansi_x3.4-1986", "iso_646.irv:1991", "ascii", "iso646-us",
             "us", "ibm367", "cp367", "csascii", "iso-ir-6us"]),
    (20866, ["koi8-r", "cskoi8r", "koi", "koi8", "koi8r"]), (21866, ["koi8-u", "cskoi8u", "koi8u", "koi8-ru"]),
    (28591, ["iso-8859-1", "cp819", "ibm819", "latin1", "latin-1", "iso_8859-1:1987", "iso-ir-100", "iso_8859-1",
             "l1", "csisolatin1", "iso8859-1", "iso 8859-1"]),
    (28592, ["iso-8859-2", "iso_8859-2:1987", "iso-ir-101", "iso_8859-2", "latin2", "latin-2", "l2", "csisolatin2",
             "iso8859-2", "iso 8859-2"]),
    (28593, ["iso-8859-3", "iso_8859-3:1988", "iso-ir-109", "iso_8859-3", "latin3", "latin-3", "l3", "csisolatin3",
             "iso 8859-3", "iso8859-3"]),
    (28594, ["iso-8859-4", "iso_8859-4:1988", "iso-ir-110", "iso_8859-4", "latin4", "latin-4", "l4", "csisolatin4",
             "iso 8859-4", "iso8859-4"]),
    (28595, ["iso-8859-5", "iso_8859-5:1988", "iso-ir-144", "iso_8859-5", "cyrillic", "csisolatincyrillic",
             "iso 8859-5", "iso8859-5"]),
    (28596, ["iso-8859-6", "iso_8859-6:1987", "arabic", "csisolatinarabic", "ecma-114", "iso_8859-6", "iso-ir-127",
             "iso 8859-6", "iso8859-6"]),
    (28597, ["iso-8859-7", "iso_8859-7:1987", "iso-ir-126", "iso_8859-7", "elot_928", "ecma-118", "greek", "greek8",
             "csisolatingreek", "iso 8859-7", "iso8859-7"]),
    (28598, ["iso-8859-8", "iso_8859-8:1988", "iso-ir-138", "iso_8859-8", "hebrew", "csisolatinhebrew", "visual",
             "iso 8859-8", "iso8859-8"]),
    (28599, ["iso-8859-9", "iso_8859-9:1989", "iso-ir-148", "iso_8859-9", "latin5", "latin-5", "l5", "csisolatin5",
             "iso 8859-9", "iso8859-9"]),
    (28600, ["iso-8859-10", "iso-ir-157", "l6", "iso_8859-10:1992", "csisolatin6", "iso 8859-10", "iso8859-10",
             "iso_8859-10", "latin6", "latin-6"]),
    (28601, ["iso-8859-11", "iso 8859-11", "iso8859-11", "iso_8859-11", "iso_8859-11:1992", "tactis"]),
    (28603, ["iso-8859-13", "iso 8859-13", "iso-ir-179", "iso8859-13", "iso_8859-13", "l7", "latin7", "latin-7"]),
    (28604, ["iso-8859-14", "iso 8859-14", "iso-ir-199", "iso8859-14", "iso_8859-14", "iso_8859-14:1998", "l8",
             "latin8", "latin-8", "iso-celtic"]),
    (28605, ["iso-8859-15", "iso_8859-15", "latin-9", "latin9", "l9", "iso 8859-15", "iso-ir-203", "iso8859-15",
             "iso_8859-15:1998", "latin-0", "latin0"]),
    (28606, ["iso-8859-16", "iso 8859-16", "iso-ir-226", "iso8859-16", "iso_8859-16", "iso_8859-16:2000",
             "latin10"]),
    (50220, ["iso-2022-jp", "iso 2022-jp", "csiso2022jp"]), (50222, ["iso-2022-jp-1", "_iso-2022-jp$sio"]),
    (50225, ["iso-2022-kr", "csiso2022kr"]), (50227, ["iso-2022-cn", "csiso2022cn", "x-cp50227"]),
    (51932, ["euc-jp", "eucjp", "cseucjp", "euc_jp", "cseucpkdfmtjapanese", "x-euc", "x-euc-jp"]),
    (51936, ["cn-gb", "euc-cn", "euc_cn", "euccn", "csgb2312", "gb2312", "gb_2312-80", "x-cp20936",
             "csiso58gb231280", "iso-ir-58"]),
    (51949, ["euc-kr", "euc_kr", "cseuckr", "euckr"]), (54936, ["gb18030", "gb-18030"]),
    (65000, ["utf-7", "csunicode11utf7", "unicode-1-1-utf-7", "x-unicode-2-0-utf-7"]),
    (65001, ["utf-8", "utf8", "unicode-1-1-utf-8", "unicode-2-0-utf-8", "x-unicode-2-0-utf-8"]),
    (0, ["default"]), (1, ["oem"]),
]


def code_page_rows():
    conv = {}
    for cls, ranges in CONVERTERS:
        for cp in expand(ranges):
            assert cp not in conv, cp
            conv[cp] = cls
    cs = {}
    for charset, ranges in CHARSETS:
        for cp in expand(ranges):
            assert cp not in cs, cp
            cs[cp] = charset
    assert set(cs) == set(conv), set(cs) ^ set(conv)
    rows = []
    for cp in sorted(conv):
        rows.append((cp, cs[cp], conv[cp], DESCRIPTIONS.get(cp, "Code page %d" % cp)))
    return rows

# --- Output ----------------------------------------------------------------

HEADER = "// Generated by scripts/gen_html_tables.py; edit the script, not this file.\n"


def cstr(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def ustr(s):
    return "u" + cstr(s)


def render_symbols():
    assert len(ELEM_SYMBOLS) == 194 and len(set(ELEM_SYMBOLS)) == 194
    assert len(ATTR_SYMBOLS) == 94 and len(ATTR_NAMES) == 93
    assert len(ELEMENT_NAMES) == 102
    ents = entity_rows()
    assert len(ents) == 253
    out = [HEADER]
    out.append("#ifdef ZRX_ELEM_SYMBOLS\n" + ",\n".join("    " + s for s in ELEM_SYMBOLS) + "\n#endif\n")
    out.append("#ifdef ZRX_ATTR_SYMBOLS\n" + ",\n".join("    " + s for s in ATTR_SYMBOLS) + "\n#endif\n")
    out.append("#ifdef ZRX_SYMBOL_ROWS\n")
    out.append("const TEntity EntityRows[] = {\n")
    out.extend("    {%s, %d},\n" % (ustr(n), v) for n, v in ents)
    out.append("};\n\nconst TResWord ElementRows[] = {\n")
    out.extend("    {%s, %s, %s},\n" % (ustr(n), s, e) for n, s, e in element_rows())
    out.append("};\n\nconst TSymbolRec AttributeRows[] = {\n")
    out.extend("    {%s, %s},\n" % (ustr(n), ATTR_SYMBOLS[i + 1]) for i, n in enumerate(ATTR_NAMES))
    out.append("};\n#endif\n")
    return "".join(out)


def render_code_pages():
    rows = code_page_rows()
    assert len(rows) == 162, len(rows)
    out = [HEADER, "const TBuffConvInfoRow CodePageRows[] = {\n"]
    out.extend("    {%d, %d, &%sClass, %s},\n" % (cp, cs, cls[1:], cstr(d)) for cp, cs, cls, d in rows)
    out.append("};\n\nconst TBuffCodePageNameRow CharsetNameRows[] = {\n")
    for cp, names in CHARSET_NAMES:
        out.extend("    {%s, %d},\n" % (ustr(n), cp) for n in names)
    out.append("};\n")
    return "".join(out)


def main():
    files = {"HtmlSymbolTables.inc": render_symbols(), "CodePageTables.inc": render_code_pages()}
    check = "--check" in sys.argv
    stale = False
    for name, text in files.items():
        path = os.path.join(OUT, name)
        old = open(path, encoding="utf-8").read() if os.path.exists(path) else None
        if old == text:
            continue
        stale = True
        if not check:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
    if check and stale:
        sys.exit("generated tables are stale: run scripts/gen_html_tables.py")


if __name__ == "__main__":
    main()

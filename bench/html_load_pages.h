// The pages bench_html_load loads: a large table, long mixed text, the
// program's own views of a CRL and of a certificate, and tables nested
// deep in four ways. Each is UTF-8 HTML.
#pragma once

#include <string>

namespace htmlpages {

// A table of Rows rows of six cells (about 1 MB at 5000 rows): a header,
// class and descendant rules, separator rows spanning all columns, links
// and line breaks in cells.
inline std::string BigTable(int Rows) {
    std::string s =
        "<html><head><style>\n"
        "table.grid { border-collapse: collapse; width: 100% }\n"
        "table.grid td { border: 1px solid #999; padding: 2px 4px }\n"
        "tr.odd td { background-color: #f0f4ff }\n"
        "td.num { text-align: right; font-family: monospace }\n"
        "thead th { background: #ddd; font-weight: bold }\n"
        "</style></head><body>\n<table class=grid>\n<thead><tr><th>№</th><th>Владелец</th><th>Serial</th>"
        "<th>Действителен</th><th>Статус</th><th>Ссылка</th></tr></thead>\n<tbody>\n";
    for (int r = 0; r < Rows; ++r) {
        if (r % 50 == 0) s += "<tr><td colspan=6 class=sep><b>Группа " + std::to_string(r / 50) + "</b></td></tr>\n";
        s += r % 2 ? "<tr class=odd>" : "<tr>";
        s += "<td class=num>" + std::to_string(r) + "</td><td>Петренко Іван " + std::to_string(r * 7) +
             "<br>ТОВ &quot;Зорен&quot;</td><td class=num>30:82:01:0A:" + std::to_string(1000 + r) +
             "</td><td>2024-01-01<br>2026-01-01</td><td>" + (r % 3 ? "действует" : "<i>отозван</i>") +
             "</td><td><a href=\"#r" + std::to_string(r) + "\">подробнее</a></td></tr>\n";
    }
    s += "</tbody></table></body></html>\n";
    return s;
}

// Paragraphs of mixed Cyrillic and Latin text under headings, with inline
// markup and every alignment (about 1.2 MB at 2000 paragraphs).
inline std::string LongText(int Paragraphs) {
    static const char* const align[] = {"justify", "left", "center", "right"};
    std::string s =
        "<html><head><style>p.ind { text-indent: 2em } span.mark { background-color: #ffe; "
        "letter-spacing: 1px }</style></head><body>\n";
    for (int p = 0; p < Paragraphs; ++p) {
        if (p % 20 == 0) s += "<h2>Раздел " + std::to_string(p / 20) + ": Certificates and keys</h2>\n";
        else if (p % 5 == 0) s += "<h3>Подраздел " + std::to_string(p) + "</h3>\n";
        s += std::string("<p class=ind align=") + align[p % 4] + ">";
        for (int k = 0; k < 4; ++k)
            s += "Ключ <b>подписи</b> владельца и <i>certificate request</i> хранятся в контейнере; "
                 "<font color=#800000 size=4>важно</font> проверить <span class=mark>отпечаток "
                 "SHA-256</span>, см. <a href=\"#p" +
                 std::to_string(p) + "\">пункт " + std::to_string(p) +
                 "</a>, H<sub>2</sub>O и x<sup>2</sup> — the quick brown fox jumps over the lazy dog. ";
        s += "</p>\n";
    }
    s += "</body></html>\n";
    return s;
}

// Four nests of tables Depth deep: full widths; shrink to fit; spans with
// fixed widths; a chain beside a long text cell.
inline std::string NestedTables(int Depth) {
    std::string s = "<html><body>\n";
    auto nest = [&](const char* open, const char* cellOpen, const char* inner, const char* after) {
        for (int d = 0; d < Depth; ++d) s += std::string(open) + cellOpen;
        s += inner;
        for (int d = 0; d < Depth; ++d) s += std::string("</td>") + after + "</tr></table>";
        s += "\n";
    };
    nest("<table width=\"100%\" border=1><tr>", "<td>", "глибина", "");
    nest("<table border=1><tr>", "<td>", "shrink", "");
    nest("<table border=1><tr><td colspan=2 width=40>span</td></tr><tr>", "<td width=\"30\">", "fixed",
         "<td width=20>x</td>");
    nest("<table border=1><tr>", "<td>", "ланцюг",
         "<td>Довгий текст комірки поруч із ланцюгом вкладених таблиць, що має переноситися на кілька рядків "
         "і не дозволяти таблиці розширюватися без меж.</td>");
    s += "</body></html>\n";
    return s;
}

}  // namespace htmlpages

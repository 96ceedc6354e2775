// Transliteration and safe file names made from owners' names.
#include <gtest/gtest.h>

#include "platform/runtime/Translit.h"

TEST(Translit, UkrainianAndRussianLetters) {
    const std::pair<const char*, const char*> cases[] = {
        {"Щербак Юлія", "Shcherbak Yuliia"},
        {"Згурський Олексій", "Zghurskyi Oleksii"},
        {"Єгор Їжак", "Yehor Yizhak"},
        {"Київ", "Kyiv"},
        {"ЖУК", "ZHUK"},
        {"Петренко Иван", "Petrenko Yvan"},
        {"Эдуард Ёлкин", "Eduard Yolkyn"},
        {"Ivan 42 & Co", "Ivan 42 & Co"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(out, std::string(uaTranslit(in).c_str())) << in;
}

TEST(Translit, FileNamesAreSafe) {
    struct Case {
        const char* text;
        const char* ext;
        const char* expected;
    };
    const Case cases[] = {
        {"Петренко Іван", ".crt", "Petrenko_Ivan.crt"},
        {"Петренко Іван", "p10", "Petrenko_Ivan.p10"},
        {"", ".crt", "noname.crt"},
        {"   ", ".crt", "noname.crt"},
        {"../../etc/passwd", ".crt", "_.._etc_passwd.crt"},
        {".hidden", ".pfx", "hidden.pfx"},
        {"a\\b:c*d?e\"f<g>h|i", "", "a_b_c_d_e_f_g_h_i"},
        {"ТОВ \"Зоря\"", ".crt", "TOV__Zoria_.crt"},
        // Nothing a shell reads specially: comments, variables, commands,
        // quotes, globs, redirections, history, home.
        {"SoftHSM v2#c39a", ".crt", "SoftHSM_v2_c39a.crt"},
        {"a$b`c\"d(e)f;g&h!i[j]k{l}m~n%o^p\tq", "", "a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p_q"},
        {"UA-0001+x@y,z=1", ".crt", "UA-0001+x@y,z=1.crt"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, std::string(uaTranslitFileName(c.text, c.ext).c_str())) << c.text;
    EXPECT_EQ("UA-0001.crt", std::string(safeFileName("UA-0001", ".crt").c_str()));
    EXPECT_EQ("O_Brien_s_key.crt", std::string(safeFileName("O'Brien's key", ".crt").c_str()));
}

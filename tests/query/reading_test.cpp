// What the line under the query field says for a text: the conditions as
// the expression will hold them, what the plug-in's own queries will do,
// and where a term will be read otherwise than it looks. The texts are
// Shift_JIS; each row's comment says what it reads.
#include "query/reading.h"

#include "query/texts.h"
#include "query/translate.h"
#include "shift_jis_text.h"

#include <gtest/gtest.h>


#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::string text;
    int caret; // -1: at the end
    std::string line;
};

void ExpectReadings(const std::vector<Case>& cases, const FavoriteSuggestions* favorites) {
    for (const Case& c : cases) {
        const std::size_t caret = c.caret < 0 ? c.text.size() : static_cast<std::size_t>(c.caret);
        const QueryReading reading = ReadQuery(c.text, caret, Separators::Space, favorites);
        EXPECT_EQ(reading.line, c.line) << c.name;
        EXPECT_EQ(reading.misreadings > 0, reading.line.compare(0, 2, "\x81\xa6") == 0) << c.name;
    }
}

TEST(ReadingTest, SaysHowTheTextWillBeSearched) {
    ExpectReadings({
        {"a phrase and a word", "subject:\"a b\" from:bob", -1,
         "\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81ua b\x81v \x82\xa9\x82\xc2 \x8d\xb7\x8fo\x90l\x81ubob\x81v"}, // 検索: 件名「a b」 かつ 差出人「bob」
        {"flags last", "attach:* flag:unread x", -1,
         "\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ux\x81v \x82\xa9\x82\xc2 \x93Y\x95t\x83t\x83@\x83" "C\x83\x8b\x82\xa0\x82\xe8 \x82\xa9\x82\xc2 \x83t\x83\x89\x83O\x81uunread\x81v"}, // 検索: 件名・差出人・宛先・本文「x」 かつ 添付ファイルあり かつ フラグ「unread」
        {"a space after the colon", "from: \x93" "c\x92\x86", -1,
         "\x81\xa6\x81ufrom:\x81v\x82\xcc\x82\xa0\x82\xc6\x82\xc9\x8b\xf3\x94\x92\x82\xaa\x82\xa0\x82\xe9\x82\xbd\x82\xdf\x81" "A\x81ufrom:\x81v\x82\xaa\x8c\xea\x82\xc6\x82\xb5\x82\xc4\x8c\x9f\x8d\xf5\x82\xb3\x82\xea\x82\xdc\x82\xb7\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ufrom:\x81v \x82\xa9\x82\xc2 \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81u\x93" "c\x92\x86\x81v"}, // ※「from:」のあとに空白があるため、「from:」が語として検索されます　検索: 件名・差出人・宛先・本文「from:」 かつ 件名・差出人・宛先・本文「田中」
        {"the value about to be typed", "from:", -1,
         "\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ufrom:\x81v"}, // 検索: 件名・差出人・宛先・本文「from:」
        {"nothing after the prefix, the caret gone", "from:", 0,
         "\x81\xa6\x81ufrom:\x81v\x82\xcc\x82\xa0\x82\xc6\x82\xc9\x8c\x9f\x8d\xf5\x82\xb7\x82\xe9\x8c\xea\x82\xaa\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81" "A\x81ufrom:\x81v\x82\xaa\x8c\xea\x82\xc6\x82\xb5\x82\xc4\x8c\x9f\x8d\xf5\x82\xb3\x82\xea\x82\xdc\x82\xb7\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ufrom:\x81v"}, // ※「from:」のあとに検索する語がないため、「from:」が語として検索されます　検索: 件名・差出人・宛先・本文「from:」
        {"another case", "Subject:\x89\xef\x8b" "c", -1,
         "\x81\xa6\x81uSubject:\x81v\x82\xcd\x8c\x9f\x8d\xf5\x91\xce\x8f\xdb\x82\xc9\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B\x81usubject:\x81v\x82\xc6\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81uSubject:\x89\xef\x8b" "c\x81v"}, // ※「Subject:」は検索対象になりません。「subject:」と入力してください　検索: 件名・差出人・宛先・本文「Subject:会議」
        {"a letter missing", "subjet:\x89\xef\x8b" "c", -1,
         "\x81\xa6\x81usubjet:\x81v\x82\xcd\x8c\x9f\x8d\xf5\x91\xce\x8f\xdb\x82\xc9\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B\x81usubject:\x81v\x82\xc6\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81usubjet:\x89\xef\x8b" "c\x81v"}, // ※「subjet:」は検索対象になりません。「subject:」と入力してください　検索: 件名・差出人・宛先・本文「subjet:会議」
        {"a full-width colon", "from\x81" "F\x93" "c\x92\x86", -1,
         "\x81\xa6\x81ufrom\x81" "F\x81v\x82\xcd\x8c\x9f\x8d\xf5\x91\xce\x8f\xdb\x82\xc9\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B\x81ufrom:\x81v\x82\xc6\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ufrom\x81" "F\x93" "c\x92\x86\x81v"}, // ※「from：」は検索対象になりません。「from:」と入力してください　検索: 件名・差出人・宛先・本文「from：田中」
        {"full-width letters", "\x82\x86\x82\x92\x82\x8f\x82\x8d:\x93" "c\x92\x86", -1,
         "\x81\xa6\x81u\x82\x86\x82\x92\x82\x8f\x82\x8d:\x81v\x82\xcd\x8c\x9f\x8d\xf5\x91\xce\x8f\xdb\x82\xc9\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B\x81ufrom:\x81v\x82\xc6\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81u\x82\x86\x82\x92\x82\x8f\x82\x8d:\x93" "c\x92\x86\x81v"}, // ※「ｆｒｏｍ:」は検索対象になりません。「from:」と入力してください　検索: 件名・差出人・宛先・本文「ｆｒｏｍ:田中」
        {"a quote taken as escaped", "subject:\"\x97\\\x92\xe8\x95\\\"", -1,
         "\x81\xa6\x81u\x95\\\x81v\x82\xcc\x92\xbc\x8c\xe3\x82\xcc\x81u\"\x81v\x82\xcd\x8c\xea\x8b\xe5\x82\xcc\x8fI\x82\xed\x82\xe8\x82\xc9\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1 (\x82\xb1\x82\xcc\x95\xb6\x8e\x9a\x82\xcc 2 \x83o\x83" "C\x83g\x96\xda\x82\xaa\x81u\\\x81v\x82\xc6\x93\xaf\x82\xb6\x82\xbd\x82\xdf)\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81u\"\x97\\\x92\xe8\x95\\\"\x81v"}, // ※「表」の直後の「"」は語句の終わりになりません (この文字の 2 バイト目が「\」と同じため)　検索: 件名「"予定表"」
        {"a phrase being typed", "subject:\"a b", -1,
         "\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81u\"a\x81v \x82\xa9\x82\xc2 \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ub\x81v"}, // 検索: 件名「"a」 かつ 件名・差出人・宛先・本文「b」
        {"a phrase left unclosed", "subject:\"a b", 0,
         "\x81\xa6\x81u\"\x81v\x82\xc5\x8en\x82\xdf\x82\xbd\x8c\xea\x8b\xe5\x82\xaa\x95\xc2\x82\xb6\x82\xc4\x82\xa2\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81" "A\x8c\xea\x82\xc9\x95\xaa\x82\xa9\x82\xea\x82\xc4\x8c\x9f\x8d\xf5\x82\xb3\x82\xea\x82\xdc\x82\xb7\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81u\"a\x81v \x82\xa9\x82\xc2 \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ub\x81v"}, // ※「"」で始めた語句が閉じていないため、語に分かれて検索されます　検索: 件名「"a」 かつ 件名・差出人・宛先・本文「b」
        {"an empty phrase", "subject:\"\"", -1,
         "\x81\xa6\x8b\xf3\x82\xcc\x81u\"\"\x81v\x82\xcd\x8c\xea\x8b\xe5\x82\xc9\x82\xc8\x82\xe7\x82\xb8\x81" "A\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x8c\xea\x82\xc6\x82\xb5\x82\xc4\x8c\x9f\x8d\xf5\x82\xb3\x82\xea\x82\xdc\x82\xb7\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81u\"\"\x81v"}, // ※空の「""」は語句にならず、そのまま語として検索されます　検索: 件名「""」
        {"a time, an address, a reply mark", "12:30 http://x re:x", -1,
         "\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81u12:30\x81v \x82\xa9\x82\xc2 \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81uhttp://x\x81v \x82\xa9\x82\xc2 \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ure:x\x81v"}, // 検索: 件名・差出人・宛先・本文「12:30」 かつ 件名・差出人・宛先・本文「http://x」 かつ 件名・差出人・宛先・本文「re:x」
        {"a prefix as it should be", "from:\x93" "c\x92\x86", -1,
         "\x8c\x9f\x8d\xf5: \x8d\xb7\x8fo\x90l\x81u\x93" "c\x92\x86\x81v"}, // 検索: 差出人「田中」
        {"a flag with no name", "flag: x", -1,
         "\x81\xa6\x81uflag:\x81v\x82\xcc\x82\xa0\x82\xc6\x82\xc9\x83t\x83\x89\x83O\x82\xcc\x96\xbc\x91O\x82\xaa\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81" "A\x96\xbc\x91O\x82\xcc\x82\xc8\x82\xa2\x83t\x83\x89\x83O\x82\xc5\x8c\x9f\x8d\xf5\x82\xb3\x82\xea\x82\xdc\x82\xb7\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ux\x81v \x82\xa9\x82\xc2 \x83t\x83\x89\x83O\x81u\x81v"}, // ※「flag:」のあとにフラグの名前がないため、名前のないフラグで検索されます　検索: 件名・差出人・宛先・本文「x」 かつ フラグ「」
        {"two misreadings", "from: Subject:x", -1,
         "\x81\xa6\x81ufrom:\x81v\x82\xcc\x82\xa0\x82\xc6\x82\xc9\x8b\xf3\x94\x92\x82\xaa\x82\xa0\x82\xe9\x82\xbd\x82\xdf\x81" "A\x81ufrom:\x81v\x82\xaa\x8c\xea\x82\xc6\x82\xb5\x82\xc4\x8c\x9f\x8d\xf5\x82\xb3\x82\xea\x82\xdc\x82\xb7 (\x82\xd9\x82\xa9 1 \x8c\x8f)\x81@\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81ufrom:\x81v \x82\xa9\x82\xc2 \x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6\x81uSubject:x\x81v"}, // ※「from:」のあとに空白があるため、「from:」が語として検索されます (ほか 1 件)　検索: 件名・差出人・宛先・本文「from:」 かつ 件名・差出人・宛先・本文「Subject:x」
        {"empty", "  ", -1,
         "\x97\xe1) subject:\"\x92\xe8\x97\xe1 \x89\xef\x8b" "c\" from:tanaka \x8b" "c\x8e\x96\x98^ (\x8b\xf3\x94\x92\x82\xc5\x8b\xe6\x90\xd8\x82\xc1\x82\xbd\x8f\xf0\x8c\x8f\x82\xf0\x82\xb7\x82\xd7\x82\xc4\x96\x9e\x82\xbd\x82\xb7\x83\x81\x81[\x83\x8b\x82\xf0\x8c\x9f\x8d\xf5\x82\xb5\x82\xdc\x82\xb7)"}, // 例) subject:"定例 会議" from:tanaka 議事録 (空白で区切った条件をすべて満たすメールを検索します)
        {"help", "help:", -1,
         "\x83w\x83\x8b\x83v\x82\xf0\x8aJ\x82\xab\x82\xdc\x82\xb7"}, // ヘルプを開きます
        {"a raw expression", "debug:(x)", -1,
         "\x8e\x9f\x82\xcc\x8f\xf0\x8c\x8f\x82\xf0\x82\xbb\x82\xcc\x82\xdc\x82\xdc Velmoro\x83\x81\x81[\x83\x8b\x82\xc9\x93n\x82\xb5\x82\xdc\x82\xb7: (x)"}, // 次の条件をそのまま Velmoroメールに渡します: (x)
        {"the favourites listed", "fav:", -1,
         "\x93o\x98^\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xe9\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x82\xf0\x95\\\x8e\xa6\x82\xb5\x82\xdc\x82\xb7"}, // 登録されているお気に入りを表示します
        {"a favourite recalled, not read yet", "fav:w", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81uw\x81v\x82\xc5\x8c\x9f\x8d\xf5\x82\xb5\x82\xdc\x82\xb7"}, // お気に入り「w」で検索します
        {"a favourite stored", "fav:new from:x", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81unew\x81v\x82\xc9\x8e\x9f\x82\xcc\x8c\x9f\x8d\xf5\x8c\xea\x82\xf0\x93o\x98^\x82\xb5\x82\xdc\x82\xb7: from:x"}, // お気に入り「new」に次の検索語を登録します: from:x
        {"a favourite deleted", "fav:w \"\"", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81uw\x81v\x82\xf0\x8d\xed\x8f\x9c\x82\xb5\x82\xdc\x82\xb7"}, // お気に入り「w」を削除します

    }, nullptr);
}

// Every text of the query field, written in UTF-8, reaches the code as the
// platform converts it to Shift_JIS, and converts back unchanged.
TEST(ReadingTest, EveryTextIsShiftJisAsWritten) {
    for (const QueryTextAsWritten& text : kQueryTextsAsWritten) {
        EXPECT_EQ(Sjis(text.utf8), text.shiftJis) << text.name;
        EXPECT_EQ(Converted(std::string(text.shiftJis), false), text.utf8) << text.name;
    }
    EXPECT_GT(std::size(kQueryTextsAsWritten), 40u);
}

// "?" stands where the field held a character the code page cannot hold
// (𠮷, 한, an emoji): the first is named (the dialog puts it in as typed),
// the rest counted with the other misreadings.
TEST(ReadingTest, NamesCharactersTheMailClientCannotReceive) {
    const std::string reason = "※「?」はVelmoroメールに渡せない文字のため、「?」として検索されます";
    const std::string anyField = "件名・差出人・宛先・本文";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::size_t> unconverted;
        std::string line;
    } cases[] = {
        {"in a prefix's value", "from:?田", {5}, reason + "　検索: 差出人「?田」"},
        {"several, at the start", "?? x", {0, 1},
         reason + " (ほか 1 件)　検索: " + anyField + "「??」 かつ " + anyField + "「x」"},
        {"inside a phrase", "subject:\"a ?\"", {11}, reason + "　検索: 件名「a ?」"},
        {"with another misreading", "from: ?", {6},
         reason + " (ほか 1 件)　検索: " + anyField + "「from:」 かつ " + anyField + "「?」"},
        {"in a favourite's name", "fav:?", {4}, reason + "　お気に入り「?」で検索します"},
        {"a question mark typed", "a?", {}, "検索: " + anyField + "「a?」"},
    };
    for (const auto& c : cases) {
        const std::string text = Sjis(c.text);
        const QueryReading reading = ReadQuery(text, text.size(), Separators::Space, nullptr, c.unconverted);
        EXPECT_EQ(reading.line, Sjis(c.line)) << c.name;
        EXPECT_EQ(reading.namedAt, c.unconverted.empty() ? std::string::npos : std::size_t(4)) << c.name;
    }
}

TEST(ReadingTest, NamesTheFavouriteOnceTheyAreRead) {
    const FavoriteSuggestions favorites = MakeFavoriteSuggestions(std::vector<FavoriteEntry>{{"w", "from:a"}});
    ExpectReadings({
        {"a favourite recalled", "fav:W", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81uW\x81v\x82\xc5\x8c\x9f\x8d\xf5\x82\xb5\x82\xdc\x82\xb7: from:a"}, // お気に入り「W」で検索します: from:a
        {"a favourite never stored", "fav:zz", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81uzz\x81v\x82\xcd\x93o\x98^\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1"}, // お気に入り「zz」は登録されていません
        {"a favourite replaced", "fav:w from:b", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81uw\x81v\x82\xcc\x8c\x9f\x8d\xf5\x8c\xea\x82\xf0\x92u\x82\xab\x8a\xb7\x82\xa6\x82\xdc\x82\xb7 (\x8am\x94" "F\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7): from:b"}, // お気に入り「w」の検索語を置き換えます (確認があります): from:b
        {"the same text again", "fav:w from:a", -1,
         "\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81uw\x81v\x82\xc9\x8e\x9f\x82\xcc\x8c\x9f\x8d\xf5\x8c\xea\x82\xf0\x93o\x98^\x82\xb5\x82\xdc\x82\xb7: from:a"}, // お気に入り「w」に次の検索語を登録します: from:a

    }, &favorites);
}

const char* AsTyped(const char* word) {
    return word;
}

// The conditions the line lists are the expression's, for any query: as
// many, the words and phrases in its order, the flags in its flag clause.
TEST(ReadingTest, ListsTheExpressionsConditions) {
    const std::vector<std::string> pieces = {"subject:", "from:", "Subject:", " ", " ", "\"", "a", "b", "\x95\x5c",
                                             "attach:*", "flag:", "x:", "\\", "to:", "from+to:"};
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        std::string query;
        const int count = std::uniform_int_distribution<int>(1, 10)(random);
        for (int k = 0; k < count; ++k)
            query += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        // As the run translates it: trimmed.
        std::string trimmed = query;
        TrimSpaces(trimmed);
        if (trimmed.rfind("fav:", 0) == 0 || trimmed.rfind("debug:", 0) == 0 || trimmed == "help:")
            continue;
        const std::string expression = TranslateQuery(trimmed, 1001, AsTyped);
        const QueryReading reading = ReadQuery(query, 0, Separators::Space, nullptr);
        std::string flags;
        bool anyFlag = false;
        std::size_t conditions = 0;
        std::size_t at = 0;
        for (const ReadCondition& condition : reading.conditions) {
            if (condition.kind == TermKind::Flag || condition.kind == TermKind::AttachAll) {
                flags += (anyFlag ? "&" : "") + (condition.kind == TermKind::Flag ? condition.value : "attach");
                anyFlag = true;
                continue;
            }
            ++conditions;
            // Each value in the expression's order.
            const std::string quoted = "(\"" + condition.value + "\"";
            at = expression.find(quoted, at);
            ASSERT_NE(at, std::string::npos) << query << " -> " << expression;
        }
        std::size_t targets = 0;
        for (std::size_t p = expression.find("target="); p != std::string::npos; p = expression.find("target=", p + 1))
            ++targets;
        EXPECT_EQ(conditions, targets) << query << " -> " << expression;
        // The flag clause, with a comma before it only after a condition.
        const std::size_t flagAt = expression.compare(0, 5, "flag=") == 0 ? 0 : expression.rfind(",flag=");
        const std::size_t valueAt = flagAt == 0 ? 5 : flagAt + 6;
        const std::size_t subfolder = expression.rfind(",subfolder=");
        EXPECT_EQ(flagAt == std::string::npos ? std::string() : expression.substr(valueAt, subfolder - valueAt), flags)
            << query << " -> " << expression;
    }
}

// A pasted text is read only as far as the line can show, at a term's end:
// it stays fast whatever its length, and says that it was cut.
TEST(ReadingTest, ALongTextIsReadAsFarAsTheLineShows) {
    std::string text;
    while (text.size() < 3 * kReadBytes)
        text += "from:tanaka ";
    const QueryReading reading = ReadQuery(text, text.size(), Separators::Space, nullptr);
    EXPECT_TRUE(reading.cut);
    EXPECT_EQ(reading.misreadings, 0u);
    EXPECT_LE(reading.conditions.size(), kReadBytes / 12 + 1);
    EXPECT_EQ(reading.line.substr(reading.line.size() - 2), "\x81\x63");
    const std::string word(3 * kReadBytes, 'x');
    EXPECT_TRUE(ReadQuery(word, 0, Separators::Space, nullptr).cut);
}

} // namespace

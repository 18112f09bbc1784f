// What the targets search, in the words the help uses: Shift_JIS bytes, the
// system's ANSI text; each line says in its comment what it reads. For the
// suggestion list and the reading of a query alike.
#pragma once

#include "query/language.h"

#include <iterator>
#include <string_view>

// What each target searches, as the help's table says it, row for row.
inline constexpr std::string_view kTargetDescriptions[] = {
    "\x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6\x81" "E\x96{\x95\xb6 (\x8a\xf9\x92\xe8)", // 件名・差出人・宛先・本文 (既定)
    "\x8c\x8f\x96\xbc", // 件名
    "\x8d\xb7\x8fo\x90l\x82\xc6\x88\xb6\x90\xe6", // 差出人と宛先
    "\x8d\xb7\x8fo\x90l", // 差出人
    "\x88\xb6\x90\xe6", // 宛先
    "\x96{\x95\xb6", // 本文
    "\x83w\x83" "b\x83_\x91S\x91\xcc", // ヘッダ全体
    "\x8c\x8f\x96\xbc\x81" "E\x8d\xb7\x8fo\x90l\x81" "E\x88\xb6\x90\xe6", // 件名・差出人・宛先
    "\x83\x81\x81[\x83\x8b\x91S\x91\xcc", // メール全体
    "\x83\x81\x83\x82", // メモ
    "\x93Y\x95t\x83t\x83@\x83" "C\x83\x8b", // 添付ファイル
    "\x83t\x83\x89\x83O", // フラグ
};
static_assert(std::size(kTargetDescriptions) == static_cast<std::size_t>(kTargetCount));

inline constexpr std::string_view kAttachAllDescription = "\x93Y\x95t\x83t\x83@\x83" "C\x83\x8b\x82\xcc\x82\xa0\x82\xe9\x83\x81\x81[\x83\x8b"; // 添付ファイルのあるメール


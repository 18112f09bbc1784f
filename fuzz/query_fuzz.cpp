// Arbitrary bytes as a query: the translation returns, and its result has the
// promised shape. The first byte picks the scope.
#include "expression_shape.h"
#include "query/translate.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int scope = 1001 + data[0] % 4;
    const std::string query(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string expression = TranslateQuery(query, scope, HexEncode);
    const std::string fault = CheckExpressionShape(expression, scope);
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\nexpression: %s\n", fault.c_str(), expression.c_str());
        std::abort();
    }
    return 0;
}

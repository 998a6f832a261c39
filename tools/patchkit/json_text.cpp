#include "tools/patchkit/json_text.h"

namespace patchkit {
namespace {

// Sees the whole document once for its first error only; the second, exception-free parse
// then builds the value.
class FirstError final : public nlohmann::json_sax<Json> {
public:
    std::string message;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        message = error.what();
        // "[json.exception.parse_error.101] parse error at line 2, column 5: ..." reads better
        // without the library's tag.
        if (size_t tagEnd = message.find("] "); message.rfind("[json.exception", 0) == 0 && tagEnd != std::string::npos) {
            message.erase(0, tagEnd + 2);
        }
        return false;
    }
};

}  // namespace

bool parseJson(const std::string& text, Json& document, std::string& why) {
    FirstError sax;
    if (!Json::sax_parse(text, &sax)) {
        why = sax.message.empty() ? "is not JSON" : sax.message;
        return false;
    }
    document = Json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        why = "is not JSON";
        return false;
    }
    return true;
}

std::string jsonText(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace patchkit

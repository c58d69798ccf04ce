#include <doctest/doctest.h>

#include <string>

#include "registry/vdf.h"

using namespace pakscour;

namespace {

std::string nested(std::size_t depth) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i) text += "\"k\" {";
    text += "\"leaf\" \"v\"";
    for (std::size_t i = 0; i < depth; ++i) text += "}";
    return text;
}

}  // namespace

TEST_CASE("VDF pairs and blocks, quoted and bare, with comments and escapes") {
    const auto root = parse_vdf(
        "\xEF\xBB\xBF// written by hand\r\n"
        "\"AppState\"\r\n{\r\n"
        "\t\"appid\"\t\t\"2620\"\n"
        "\tname Call\n"
        "\t\"path\" \"C:\\\\Games\\\\\\\"Co\\D\\\"\" // trailing comment\n"
        "\t\"lines\" \"a\\nb\\tc\"\n"
        "\t\"empty\" \"\"\n"
        "\t\"inner\" { }\n"
        "\t\"multi\" \"one\ntwo\"\n"
        "}\n"
        "second{\"x\"\"y\"}");
    REQUIRE(root);
    REQUIRE(root->children.size() == 2);
    const VdfNode& app = root->children[0];
    CHECK(app.key == "AppState");
    CHECK(app.block);
    CHECK(app.find("APPID")->value == "2620");
    CHECK(app.find("name")->value == "Call");
    CHECK(app.find("path")->value == "C:\\Games\\\"Co\\D\"");
    CHECK(app.find("lines")->value == "a\nb\tc");
    CHECK(app.find("empty")->value.empty());
    CHECK(app.find("inner")->block);
    CHECK(app.find("inner")->children.empty());
    CHECK(app.find("multi")->value == "one\ntwo");
    CHECK(app.find("missing") == nullptr);
    CHECK(root->children[1].key == "second");
    CHECK(root->children[1].find("x")->value == "y");
    CHECK(parse_vdf("")->children.empty());
    CHECK(parse_vdf("  // only a comment")->children.empty());
}

TEST_CASE("malformed VDF and VDF beyond the limits read as nothing") {
    const std::string long_token(vdf_limits::max_token, 'a');
    std::string many_entries;
    for (std::size_t i = 0; i <= vdf_limits::max_entries; ++i) many_entries += "k v\n";
    struct Case {
        std::string text;
        bool ok;
    };
    const Case cases[] = {
        {"\"a\" \"unterminated", false},
        {"\"a\"", false},
        {"\"a\" {", false},
        {"\"a\" { \"b\" \"c\" }}", false},
        {"}", false},
        {"{ \"a\" \"b\" }", false},
        {"\"a\" }", false},
        {"\"a\" \"b\" \"c\"", false},
        {nested(vdf_limits::max_depth - 1), true},
        {nested(vdf_limits::max_depth), false},
        {nested(100000), false},
        {"k \"" + long_token + "\"", true},
        {"k \"" + long_token + "b\"", false},
        {"k " + long_token + "b", false},
        {many_entries, false},
        {"k \"" + std::string(vdf_limits::max_size, 'x') + "\"", false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text.substr(0, 60));
        CHECK(parse_vdf(c.text).has_value() == c.ok);
    }
}

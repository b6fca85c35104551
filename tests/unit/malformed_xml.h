#pragma once

#include <string>
#include <vector>

namespace mirelo {

// A well-formedness rule of XML 1.0 broken once inside a document that is otherwise a good batch or
// store. `head` goes where the document starts (after the store's declaration unless it holds one),
// `inner` inside the root element after a good element, `tail` after the root's end.
struct Malformed {
    const char* rule;
    std::string head;
    std::string inner;
    std::string tail;
};

inline const std::vector<Malformed>& MalformedCases() {
    static const std::vector<Malformed> cases = {
        {"two root elements", "", "", "<second/>"},
        {"text after the root", "", "", "trailing text"},
        {"a second root after a comment", "", "", "<!-- c --><again></again>"},
        {"bare ampersand", "", "<a u=\"http://gw/?a=1&b=2\"/>", ""},
        {"bare ampersand in text", "", "<a>Kim & Lee</a>", ""},
        {"reference to U+0001", "", "<a>Kim&#1;Lee</a>", ""},
        {"hexadecimal reference to U+001F", "", "<a t=\"&#x1F;\"/>", ""},
        {"reference to U+0000", "", "<a>&#0;</a>", ""},
        {"reference to a surrogate", "", "<a>&#xD800;</a>", ""},
        {"reference to U+FFFE", "", "<a>&#xFFFE;</a>", ""},
        {"raw U+0001", "", "<a>Kim\x01Lee</a>", ""},
        {"raw U+001B in an attribute", "", "<a t=\"\x1B[0m\"/>", ""},
        {"unclosed element", "", "<a>", ""},
        {"mismatched end tag", "", "<a><b></a></b>", ""},
        {"end tag without start", "", "</a>", ""},
        {"name starting with a digit", "", "<1a/>", ""},
        {"name with a blank inside", "", "<a b/>", ""},
        {"duplicate attribute", "", "<a t=\"1\" t=\"2\"/>", ""},
        {"unquoted attribute value", "", "<a t=1/>", ""},
        {"attribute without value", "", "<a checked/>", ""},
        {"less-than in an attribute value", "", "<a t=\"x<y\"/>", ""},
        {"less-than in text", "", "<a>x < y</a>", ""},
        {"CDATA end marker in text", "", "<a>x ]]> y</a>", ""},
        {"double hyphen in a comment", "", "<!-- a -- b -->", ""},
        {"undefined entity", "", "<a>&nbsp;</a>", ""},
        {"declaration inside the root", "", "<?xml version=\"1.0\"?>", ""},
        {"reserved processing instruction target", "", "<?XmL data?>", ""},
        {"declaration after whitespace", " <?xml version=\"1.0\"?>", "", ""},
        {"recursive entity", "<!DOCTYPE r [<!ENTITY e \"&e;\">]>", "<a>&e;</a>", ""},
        {"entity breaking the element structure", "<!DOCTYPE r [<!ENTITY e \"<b>\">]>", "<a>&e;</a>", ""},
        {"unterminated CDATA section", "", "<![CDATA[ open", ""},
    };
    return cases;
}

}  // namespace mirelo

// A small XML writer for the export: elements indented by four spaces, one per line, text
// and attribute values escaped, an element without content closed as <name/>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace incidents {

class XmlWriter {
public:
    XmlWriter();  // starts with the XML declaration, UTF-8

    void Start(std::string_view name);
    // Only right after Start.
    void Attribute(std::string_view name, std::string_view value);
    void End();
    void TextElement(std::string_view name, std::string_view text);
    // Ends every element left open: the whole document.
    std::string Finish();

private:
    void CloseStartTag();
    void NewLine();

    struct Open {
        std::string name;
        bool hasChildren = false;
    };
    std::string text_;
    std::vector<Open> open_;
    bool startTagOpen_ = false;
};

}  // namespace incidents

// Writing the export's XML.
#include "incident_outlets/XmlWriter.h"

namespace incidents {
namespace {

void AppendEscaped(std::string_view text, bool attribute, std::string& out) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\t':
                out += attribute ? "&#9;" : "\t";
                break;
            default:
                out += c;
        }
    }
}

}  // namespace

XmlWriter::XmlWriter() : text_("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {}

void XmlWriter::NewLine() {
    text_ += '\n';
    text_.append(4 * open_.size(), ' ');
}

void XmlWriter::CloseStartTag() {
    if (!startTagOpen_) return;
    text_ += '>';
    startTagOpen_ = false;
}

void XmlWriter::Start(std::string_view name) {
    CloseStartTag();
    if (!open_.empty()) open_.back().hasChildren = true;
    NewLine();
    text_.append("<").append(name);
    open_.push_back({std::string(name)});
    startTagOpen_ = true;
}

void XmlWriter::Attribute(std::string_view name, std::string_view value) {
    text_.append(" ").append(name).append("=\"");
    AppendEscaped(value, true, text_);
    text_ += '"';
}

void XmlWriter::End() {
    const Open element = open_.back();
    open_.pop_back();
    if (startTagOpen_) {
        text_ += "/>";
        startTagOpen_ = false;
        return;
    }
    if (element.hasChildren) NewLine();
    text_.append("</").append(element.name).append(">");
}

void XmlWriter::TextElement(std::string_view name, std::string_view text) {
    Start(name);
    CloseStartTag();
    AppendEscaped(text, false, text_);
    text_.append("</").append(name).append(">");
    open_.pop_back();
}

std::string XmlWriter::Finish() {
    while (!open_.empty()) End();
    return text_ + '\n';
}

}  // namespace incidents

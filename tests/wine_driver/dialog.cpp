#include "tests/wine_driver/dialog.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/text_encoding.h"
#include "tests/wine_driver/hex_text.h"

namespace wine_driver {
namespace {

std::map<std::string, std::string> fieldsOf(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::istringstream words(line);
    std::string word;
    words >> word;  // the record's kind
    while (words >> word) {
        size_t equals = word.find('=');
        if (equals != std::string::npos) fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return fields;
}

uint32_t number(const std::string& text) { return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 0)); }

}  // namespace

const Control* Dialog::control(int id) const {
    for (const Control& c : controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::vector<const Control*> Dialog::visibleButtons() const {
    std::vector<const Control*> buttons;
    for (const Control& c : controls) {
        if (c.visible && c.className == "Button") buttons.push_back(&c);
    }
    return buttons;
}

std::string Dialog::describe() const {
    std::ostringstream text;
    text << className << " \"" << readable(caption) << "\"" << (visible ? "" : " hidden") << "\n";
    for (const Control& c : controls) {
        char style[16];
        std::snprintf(style, sizeof style, "0x%08x", c.style);
        text << "  id " << c.id << " " << c.className << " \"" << readable(c.text) << "\" style " << style
             << (c.enabled ? "" : " disabled") << (c.visible ? "" : " hidden");
        if (c.position) text << " pos " << *c.position;
        if (c.hasIcon) text << (*c.hasIcon ? " with icon" : " without icon");
        text << "\n";
    }
    return text.str();
}

std::vector<Dialog> parseDialogs(const std::string& probeOutput) {
    std::vector<Dialog> dialogs;
    std::istringstream lines(probeOutput);
    std::string line;
    while (std::getline(lines, line)) {
        std::string kind = line.substr(0, line.find(' '));
        if (kind != "window" && kind != "control") continue;
        std::map<std::string, std::string> f = fieldsOf(line);
        if (kind == "window") {
            Dialog d;
            d.handle = f["hwnd"];
            d.className = f["class"];
            d.caption = hexDecoded(f["text"]);
            d.style = number(f["style"]);
            d.enabled = f["enabled"] == "1";
            d.visible = f["visible"] == "1";
            dialogs.push_back(d);
        } else if (!dialogs.empty()) {
            Control c;
            int id = static_cast<int>(std::strtol(f["id"].c_str(), nullptr, 10));
            c.id = id == 0xFFFF ? -1 : id;
            c.className = f["class"];
            c.text = hexDecoded(f["text"]);
            c.style = number(f["style"]);
            c.enabled = f["enabled"] == "1";
            c.visible = f["visible"] == "1";
            if (f.count("pos") && f["pos"] != "busy") c.position = static_cast<int>(number(f["pos"]));
            if (f.count("icon")) c.hasIcon = f["icon"] == "1";
            dialogs.back().controls.push_back(c);
        }
    }
    return dialogs;
}

std::string readable(const std::string& cp932) {
    std::string utf8;
    if (platform::cp932ToUtf8(cp932, utf8)) return utf8;
    std::string escaped;
    for (unsigned char c : cp932) {
        char buffer[8];
        if (c >= 0x20 && c < 0x7F) {
            escaped += static_cast<char>(c);
        } else {
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            escaped += buffer;
        }
    }
    return escaped;
}

}  // namespace wine_driver

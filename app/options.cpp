// Reads varnelo's start options, as varnelo-render reads its own: each value a word of its own,
// an option given twice or unknown a misuse.
#include "app/options.h"

#include <cstring>

const char StartUsage[] = "usage: varnelo [--window] [--aspect 4:3|square] [--whole] | --help | --version\n";
const char OptionsHelp[] =
    "  --window          start in a window rather than full screen; Alt+Enter switches\n"
    "  --aspect 4:3      show the picture as on the 4:3 monitors it was made for (each\n"
    "                    pixel 1.2 times as tall as wide); square (the default) keeps\n"
    "                    the pixels square\n"
    "  --whole           scale by whole numbers only, so that every pixel is as large\n"
    "                    as every other\n";

namespace {

StartReading Misuse(std::string complaint) {
    StartReading reading;
    reading.request = StartRequest::Misuse;
    reading.complaint = std::move(complaint);
    return reading;
}

}  // namespace

StartReading ReadStartOptions(const std::vector<std::string>& arguments) {
    StartReading reading;
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "--version")) {
        if (arguments.size() > 1) return Misuse(arguments[0] + " takes no argument such as " + arguments[1]);
        reading.request = arguments[0] == "--help" ? StartRequest::Help : StartRequest::Version;
        return reading;
    }
    bool aspectGiven = false;
    for (size_t at = 0; at < arguments.size(); ++at) {
        const std::string& option = arguments[at];
        if (option == "--window" || option == "--whole") {
            bool& chosen = option == "--window" ? reading.options.window : reading.options.shape.whole;
            if (chosen) return Misuse(option + " given twice");
            chosen = true;
        } else if (option == "--aspect") {
            if (aspectGiven) return Misuse(option + " given twice");
            if (at + 1 == arguments.size() || arguments[at + 1].empty()) return Misuse(option + " needs a value");
            const std::string& value = arguments[++at];
            if (value != "4:3" && value != "square") return Misuse(option + " takes 4:3 or square, not " + value);
            reading.options.shape.aspect = value == "4:3" ? letterbox::Aspect::FourThree : letterbox::Aspect::Square;
            aspectGiven = true;
        } else if (option == "--help" || option == "--version") {
            return Misuse(option + " goes alone, not after " + arguments[0]);
        } else {
            return Misuse((option.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") + option);
        }
    }
    return reading;
}

std::vector<std::string> CommandLineWords(const char* commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (const char* at = commandLine != nullptr ? commandLine : ""; *at != '\0'; ++at) {
        if (*at == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (*at == ' ' || *at == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += *at;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

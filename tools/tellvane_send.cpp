// tellvane-send: stands in for the lock-management software. Sends event
// texts to a running Tellvane and prints each reply.
//
// Exit status: 0 when every message was answered "OK" (or printed), 1 when
// one was not, 2 when nothing listens, the listener is not to be trusted or
// the command line is wrong.
#include <ctime>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "endpoint_name.h"
#include "tellvane_send_client.h"
#include "text_from_options.h"

namespace {

constexpr int kAllAnswered = 0;
constexpr int kNotAnswered = 1;
constexpr int kCannotSend = 2;

constexpr const char* kUsageHead =
    "Usage: tellvane-send [--socket NAME] [--any-listener] [--print] [TEXT...]\n"
    "       tellvane-send [--socket NAME] [--any-listener] [--print] FIELD...\n"
    "\n"
    "Sends event texts to a running Tellvane over its event endpoint and prints\n"
    "each reply on a line of its own. Each TEXT is sent as one message, all on\n"
    "one connection; without TEXT, each line of standard input is one message\n"
    "(a trailing carriage return is dropped).\n"
    "\n"
    "FIELD options (below) instead build one text and send it, for example:\n"
    "  tellvane-send --level alarm --desc \"Door forced open\" \\\n"
    "                --locking \"Door 7\" --system \"Site 1\"\n"
    "A field not given is 0 or empty, or the default shown below. A comma always\n"
    "ends a field, so a value with a comma is refused and nothing is sent.\n"
    "\n"
    "Any local process may take the endpoint's name, so nothing is sent when\n"
    "the process listening there runs as another user than you or root.\n"
    "\n"
    "  --socket NAME   the endpoint name (default: $TELLVANE_ENDPOINT, else zqevent)\n"
    "  --any-listener  send whoever listens\n"
    "  --print         print the texts instead of sending them\n"
    "  --help          show this text\n"
    "\n"
    "Fields, in the order of a version-8 text:\n";

constexpr const char* kUsageTail =
    "\n"
    "TIME is seconds since 1970 or an ISO date and time (2026-03-01T10:15:00;\n"
    "a space for the T and no seconds will do), local time unless it ends in Z\n"
    "or an offset such as +01:00. LEVEL is message, warning or alarm, or 0, 1, 2.\n"
    "\n"
    "Exit status: 0 when every message was answered \"OK\" (or printed), 1 when\n"
    "one was not, 2 when no Tellvane is listening, the listener runs as another\n"
    "user, or the command line is wrong (a field value included).\n";

struct CSendOptions {
    std::string m_strName = EndpointName();
    std::vector<std::string> m_texts;
    bool m_bHelp = false;
    bool m_bAnyListener = false;
    bool m_bPrint = false;
};

// Tells what is wrong with the command line; the caller then ends.
std::nullopt_t Refuse(const std::string& reason)
{
    std::cerr << "tellvane-send: " << reason << '\n';
    return std::nullopt;
}

// Empty when the command line is wrong (the reason is already printed).
std::optional<CSendOptions> ParseArguments(const std::vector<std::string>& args)
{
    CSendOptions options;
    CTextFromOptions fields(static_cast<int32_t>(std::time(nullptr)));
    bool textsOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (textsOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            options.m_texts.push_back(arg);
        } else if (arg == "--") {
            textsOnly = true;
        } else if (arg == "--help" || arg == "-h") {
            options.m_bHelp = true;
        } else if (arg == "--any-listener") {
            options.m_bAnyListener = true;
        } else if (arg == "--print") {
            options.m_bPrint = true;
        } else if (arg == "--socket" && i + 1 < args.size()) {
            options.m_strName = args[++i];
        } else if (const CEventTextField* field = CTextFromOptions::FieldOfOption(arg); field && i + 1 < args.size()) {
            if (const std::string wrong = fields.Take(*field, args[++i]); !wrong.empty())
                return Refuse(wrong + "; nothing sent");
        } else if (field) {
            return Refuse(arg + " needs a value\nTry 'tellvane-send --help'.");
        } else {
            std::cerr << "tellvane-send: " << (arg == "--socket" ? "--socket needs a NAME" : "unknown option " + arg)
                      << "\nTry 'tellvane-send --help'.\n";
            return std::nullopt;
        }
    }
    if (fields.HasFields()) {
        if (!options.m_texts.empty())
            return Refuse("give either TEXT or field options, not both\nTry 'tellvane-send --help'.");
        std::string why;
        options.m_texts.push_back(fields.Text(why));
        if (!why.empty())
            return Refuse(why + "; nothing sent");
    }
    return options;
}

// Sends one text and prints its reply. False when it was not answered "OK".
bool SendOne(CSenderConnection& connection, const std::string& text, int number)
{
    std::string reply;
    if (!connection.Send(text) || !connection.ReceiveReply(reply)) {
        std::cerr << "tellvane-send: no reply to message " << number << '\n';
        return false;
    }
    std::cout << reply << std::endl;
    return reply == "OK";
}

// Sends the texts nextText yields, in turn; stops at the first one not
// answered, since the conversation is then over.
int SendAll(const std::function<bool(std::string&)>& nextText, CSenderConnection& connection)
{
    std::string text;
    for (int number = 1; nextText(text); ++number) {
        if (!SendOne(connection, text, number))
            return kNotAnswered;
    }
    return kAllAnswered;
}

// A listener of the caller's own user or root is the user's Tellvane or
// the system's; anyone else may be squatting on the name. Where users are
// not known (a Windows pipe) there is nothing to check.
bool IsTrustedListener(const CPeer& listener)
{
    const int64_t caller = CurrentUserId();
    return caller < 0 || listener.m_nUid == caller || listener.m_nUid == 0;
}

bool NextLine(std::string& text)
{
    if (!std::getline(std::cin, text))
        return false;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto options = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options)
        return kCannotSend;
    if (options->m_bHelp) {
        std::cout << kUsageHead << CTextFromOptions::OptionHelp() << kUsageTail;
        return kAllAnswered;
    }
    std::size_t next = 0;
    const std::function<bool(std::string&)> nextText = [&](std::string& text) {
        if (options->m_texts.empty())
            return NextLine(text);
        if (next == options->m_texts.size())
            return false;
        text = options->m_texts[next++];
        return true;
    };
    if (options->m_bPrint) {
        for (std::string text; nextText(text);)
            std::cout << text << '\n';
        return kAllAnswered;
    }
    CSenderConnection connection;
    if (!connection.Connect(options->m_strName)) {
        std::cerr << "tellvane-send: no Tellvane is listening on " << options->m_strName << '\n';
        return kCannotSend;
    }
    const CPeer listener = connection.Listener();
    if (!options->m_bAnyListener && !IsTrustedListener(listener)) {
        std::cerr << "tellvane-send: the endpoint " << options->m_strName << " is held by process " << listener.m_nPid
                  << " of user " << PeerUserName(listener)
                  << ", neither you nor root; nothing sent (--any-listener sends anyway)\n";
        return kCannotSend;
    }
    return SendAll(nextText, connection);
}

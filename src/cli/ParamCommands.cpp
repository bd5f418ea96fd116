#include "cli/ParamCommands.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "config/NumberText.h"
#include "config/SettingCheck.h"

namespace wirvela {

namespace {

struct ParamArgs {
    std::string section;
    std::string key;
    std::string value;
    double number = 0;
    bool hasDefault = false;
    int messageKey = 0;
};

void PrintList(TParameters& p, bool json, std::ostream& out) {
    if (json) {
        nlohmann::ordered_json sections = nlohmann::ordered_json::array();
        for (int s = 0; s < p.SectionCount(); ++s) {
            const TSection& sec = p.Sections[static_cast<std::size_t>(s)];
            nlohmann::ordered_json keys = nlohmann::ordered_json::array();
            for (int i = sec.First; i < p.SectionEnd(s); ++i) {
                keys.push_back({{"key", p.Params(i).Key},
                                {"displayName", p.Params(i).DisplayName},
                                {"value", p.Params(i).Value}});
            }
            sections.push_back({{"section", sec.Name}, {"displayName", sec.DisplayName}, {"keys", keys}});
        }
        out << nlohmann::ordered_json{{"sections", sections}}.dump(2) << '\n';
        return;
    }
    for (int s = 0; s < p.SectionCount(); ++s) {
        const TSection& sec = p.Sections[static_cast<std::size_t>(s)];
        out << '[' << sec.Name << ']';
        if (!sec.DisplayName.empty()) out << "  " << sec.DisplayName;
        out << '\n';
        for (int i = sec.First; i < p.SectionEnd(s); ++i) {
            const TParameter& par = p.Params(i);
            out << "  " << par.Key << '=' << par.Value;
            if (!par.DisplayName.empty()) out << "    (" << par.DisplayName << ')';
            out << '\n';
        }
    }
}

}  // namespace

void AddParamCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<ParamArgs>();
    CLI::App* param = app.add_subcommand("param", "Read and change settings of wirvela.ini");
    param->require_subcommand(1);

    CLI::App* get = param->add_subcommand("get", "Print a setting's text (the default when absent)");
    get->add_option("SECTION", args->section)->required();
    get->add_option("KEY", args->key)->required();
    get->add_option("DEFAULT", args->value);
    get->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            CliSession session(options, err);
            out << session.Parameters().GetText(args->section, args->key, args->value) << '\n';
            return 0;
        };
    });

    CLI::App* number = param->add_subcommand("number", "Print a setting read as a number");
    number->add_option("SECTION", args->section)->required();
    number->add_option("KEY", args->key)->required();
    number->add_option("DEFAULT", args->number)->required();
    number->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            CliSession session(options, err);
            out << NumberToText(session.Parameters().GetNumber(args->section, args->key, args->number)) << '\n';
            return 0;
        };
    });

    CLI::App* set = param->add_subcommand("set", "Change a setting that wirvela.ini holds and save the file");
    set->add_option("SECTION", args->section)->required();
    set->add_option("KEY", args->key)->required();
    set->add_option("VALUE", args->value)->required();
    set->callback([&options, &action, args] {
        action = [&options, args](std::ostream&, std::ostream& err) {
            CliSession session(options, err);
            TParameters& p = session.Parameters();
            if (const std::string why = settings::Refusal(args->section, args->key, args->value); !why.empty()) {
                err << "error: [" << args->section << "] " << args->key << '=' << args->value << " is not a value of "
                    << "this setting: it " << why << "; nothing was written\n";
                return 2;
            }
            if (p.SetText(args->section, args->key, args->value) != 0) {
                err << "error: " << p.FileName().string() << " has no key '" << args->key << "' in section '"
                    << args->section << "' (names are case-sensitive); nothing was written\n";
                return 1;
            }
            std::string why;
            if (!p.SaveAll(&why)) {
                err << "error: settings not saved: " << why << '\n';
                return 1;
            }
            return 0;
        };
    });

    CLI::App* list = param->add_subcommand("list", "Print every section and key with display names");
    list->callback([&options, &action] {
        action = [&options](std::ostream& out, std::ostream& err) {
            CliSession session(options, err);
            PrintList(session.Parameters(), options.json, out);
            return 0;
        };
    });

    CLI::App* msg = app.add_subcommand("msg", "Print message N of local.txt");
    msg->add_option("N", args->messageKey)->required();
    msg->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            CliSession session(options, err);
            out << session.Messages().MessageText(args->messageKey) << '\n';
            return 0;
        };
    });
}

}  // namespace wirvela

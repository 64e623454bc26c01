#include "launcher/java_home.h"

#include "launcher/launch_command.h"
#include "launcher/paths.h"
#include "platform/platform.h"

JavaHomeChoice ChooseJavaHome(const std::wstring& runtimeKeyPath) {
    JavaHomeChoice choice;
    choice.keyPath = runtimeKeyPath.substr(0, runtimeKeyPath.find(L'\0'));
    const auto views = platform::RegistryViews();
    choice.oneView = views.size() == 1;
    for (const auto view : views) {
        auto read =
            modRegAccess::ReadRegistryString(choice.root, choice.keyPath, L"JavaHome", view);
        HomeVerdict verdict = HomeVerdict::NoValue;
        if (read.value && !IsQuotableWholePath(*read.value)) {
            verdict = HomeVerdict::NotAWholePath;
        } else if (read.value) {
            verdict = platform::FileExists(JavawPath(*read.value)) ? HomeVerdict::Taken
                                                                   : HomeVerdict::NoJavaw;
        }
        choice.views.push_back({view, std::move(read), verdict});
        if (verdict == HomeVerdict::Taken) {
            choice.home = JavaHome{*choice.views.back().read.value, view, true};
            return choice;
        }
    }
    for (const auto& answer : choice.views) {
        if (answer.verdict == HomeVerdict::NoJavaw) {
            choice.home = JavaHome{*answer.read.value, answer.view, false};
            break;
        }
    }
    return choice;
}

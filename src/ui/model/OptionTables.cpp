#include "OptionTables.h"

#include "ProgramSite.h"

namespace {

const TLanguageRow Languages[LanguageRowCount] = {
    {"Русский", "ru", 0x0419},
    {"English", "en", 0},
};

const TUserAgentRow UserAgents[UserAgentRowCount] = {
    {"Gannetry", "Gannetry/2.1; +" TOLLMARSH_SITE_URL},
    {"YandexBot", "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)"},
    {"YandexImages", "Mozilla/5.0 (compatible; YandexImages/3.0; +http://yandex.com/bots)"},
    {"GoogleBot", "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"},
    {"Googlebot-Image", "Mozilla/5.0 (compatible; Googlebot-Image/1.0; +http://www.google.com/bot.html)"},
    {"Googlebot-Mobile", "Mozilla/5.0 (compatible; Googlebot-Mobile/2.1; +http://www.google.com/bot.html)"},
    {"BingBot", "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)"},
    {"Yahoo! Slurp", "Mozilla/5.0 (compatible; Yahoo! Slurp; http://help.yahoo.com/help/us/ysearch/slurp)"},
    {"Chrome", "Mozilla/5.0 (Windows NT 5.1) AppleWebKit/535.1 (KHTML, like Gecko) Chrome/14.0.815.0 Safari/535.1"},
    {"Firefox", "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:6.0a2) Gecko/20110613 Firefox/6.0a2"},
    {"IE8", "Mozilla/5.0 (compatible; MSIE 8.0; Windows NT 5.2; Trident/4.0; Media Center PC 4.0; SLCC1; .NET CLR 3.0.04320)"},
    {"IE10", "Mozilla/5.0 (compatible; MSIE 10.0; Windows NT 6.2; Trident/6.0)"},
    {"IE11", "Mozilla/5.0 (Windows NT 6.3; Trident/7.0; rv:11.0) like Gecko"},
    {"iPhone", "Mozilla/5.0 (iPhone; CPU iPhone OS 5_0_1 like Mac OS X) AppleWebKit/534.46 (KHTML, like Gecko) Mobile/9A405"},
    {"Android", "Mozilla/5.0 (Linux; U; Android 2.2; en-us; Nexus One Build/FRF91) AppleWebKit/533.1 (KHTML, like Gecko) Version/4.0 Mobile Safari/533.1"},
    {"Microsoft Edge", "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/42.0.2311.135 Safari/537.36 Edge/12.246"},
    {"Персональные настройки", "CustomBot/1.2"},
};

}  // namespace

const TLanguageRow& LanguageRow(int aRow)
{
    return Languages[aRow];
}

const TUserAgentRow& UserAgentRow(int aRow)
{
    return UserAgents[aRow];
}

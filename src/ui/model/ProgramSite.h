#pragma once
// The program's own web addresses, in one place: the CSV report's footer, the
// User-Agent of row 0 and the links of the About panel all name the same site.

#define TOLLMARSH_SITE_URL "https://tollmarsh.example/"

inline constexpr const char* MakerSiteURL = TOLLMARSH_SITE_URL;
inline constexpr const char* ProductPageRuURL = TOLLMARSH_SITE_URL "ru/";
inline constexpr const char* ProductPageEnURL = TOLLMARSH_SITE_URL "en/";

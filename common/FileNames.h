#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Names that come from the catalogue, the host, archives or fixed texts are
// written in whatever letter case their author used ("KR00001.KRD",
// "SysFile\Kirodb.mdb"), while the files on the disk have one spelling each.
// These helpers find the file a name means, comparing ASCII letters without
// case as the original file system did. Names are UTF-8 (convert code page
// 932 text first): every byte of a multi-byte character is above 0x7F, so
// only ASCII letters fold and Japanese text is compared exactly.
namespace kiro::filenames {

// True when the two names are equal ignoring the case of ASCII letters.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

// The entry of `folder` whose name equals `name` ignoring case: the exact
// spelling when it exists, else the first match in name order (so the choice
// does not depend on the directory's order). Nothing when the folder is
// missing or holds no such entry. `name` is one component, never a path.
std::optional<std::filesystem::path> findInFolder(const std::filesystem::path& folder,
    const std::string& name);

// Resolves `relative` (components separated by '/' or '\\') under `base`, one
// component at a time ignoring case. Components that do not exist keep their
// spelling, so the result can also name a file about to be created. Empty,
// "." and ".." components are refused (nothing returned): such a name never
// leads out of `base`.
std::optional<std::filesystem::path> resolveUnder(const std::filesystem::path& base,
    const std::string& relative);

// resolveUnder() when the result exists, else nothing.
std::optional<std::filesystem::path> findUnder(const std::filesystem::path& base,
    const std::string& relative);

} // namespace kiro::filenames

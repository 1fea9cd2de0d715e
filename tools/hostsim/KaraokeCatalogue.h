#pragma once
// The products the karaoke area serves, read once from a catalogue
// database: menu a, item b is the product whose データアドレス１ is "a,b"
// (its archive) or whose データアドレス２ is "a,b" (its header file).

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace kiro::hostsim {

class KaraokeCatalogue {
public:
    struct Item {
        std::string code;     // 商品コード
        std::string baseName; // ファイル名 without folder and extension
        bool header = false;  // the address is the product's header address
    };

    // Reads the products; an error message in `error` and nothing on failure.
    static std::optional<KaraokeCatalogue> load(const std::filesystem::path &file, const std::string &password,
                                                std::string &error);

    KaraokeCatalogue() = default;
    KaraokeCatalogue(KaraokeCatalogue &&other) noexcept;
    KaraokeCatalogue &operator=(KaraokeCatalogue &&) = delete;
    ~KaraokeCatalogue();

    void add(int menu, int item, Item entry) { m_items.emplace(std::make_pair(menu, item), std::move(entry)); }
    const Item *find(int menu, int item) const;
    // Item numbers of one menu, in order, for the list.
    std::map<int, const Item *> menu(int menu) const;

    // The file to send for an item, or nothing when the product is not
    // ready (its archive is not in the content folder). A header comes from
    // the content folder's HEADER.BIN or is made up for the product.
    std::optional<std::filesystem::path> fileFor(const Item &item, const std::string &contentDir) const;

private:
    std::map<std::pair<int, int>, Item> m_items;
    mutable std::filesystem::path m_scratch; // made-up headers; removed with the catalogue
};

// ファイル名 without folder and extension: the name the caller asks for.
std::string productBaseName(std::string fileName);

} // namespace kiro::hostsim

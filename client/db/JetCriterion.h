#pragma once

#include "client/db/ColumnKind.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {

// A Jet criterion (the text after WHERE, as FindFirst/FindNext take it),
// parsed once and evaluated against cached rows:
//   商品コード="X"   商品名読み like 'ｱｲ*'   ((a="0040") AND (b="D"))
// Text compares without regard to ASCII case, as Jet does.
class JetCriterion {
public:
    // Maps a column reference (qualifier may be empty) to its index in the
    // row, or -1 when the record set has no such field.
    using Resolver = std::function<int(std::string_view qualifier, std::string_view name)>;

    // Throws DbError when the text cannot be read or names an unknown field.
    static JetCriterion parse(std::string_view criterion, const Resolver& resolve);

    JetCriterion(JetCriterion&&) noexcept;
    JetCriterion& operator=(JetCriterion&&) noexcept;
    ~JetCriterion();

    bool matches(const std::vector<StoredValue>& row) const;

    struct Node;

private:
    explicit JetCriterion(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};

// Jet LIKE matching: * any run, ? one character, # one digit, [abc] / [a-z]
// / [!a] one character of (not of) a list; ASCII letters match either case.
bool jetLikeMatch(std::string_view text, std::string_view pattern);

} // namespace kiro::db

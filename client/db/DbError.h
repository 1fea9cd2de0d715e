#pragma once

#include <stdexcept>
#include <string>

namespace kiro::db {

// Engine error codes the layer raises itself; engine (SQLite) failures carry
// the engine's own result code.
enum JetError : long {
    kErrorSyntax = 3075,          // the statement could not be understood
    kErrorNoCurrentRecord = 3021,
    kErrorRecordDeleted = 3167,
    kErrorNotUpdatable = 3027,
    kErrorUpdateWithoutEdit = 3020,
    kErrorItemNotFound = 3265,
    kErrorConversion = 3421,
    kErrorInvalidArgument = 3001,
    kErrorNotOpen = 3420,
    kErrorForwardOnly = 3251,     // a forward-only record set cannot go back
    kErrorCannotOpen = 3343,
};

// The one exception type of the database layer: the engine's code and its
// message. Callers catch it at the call and turn it into a failure result.
class DbError : public std::runtime_error {
public:
    DbError(long code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    long code() const { return m_code; }

private:
    long m_code;
};

} // namespace kiro::db

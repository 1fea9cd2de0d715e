#pragma once

#include "client/db/ColumnKind.h"
#include "client/db/JetTranslator.h"
#include "client/db/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro::db {

class CatalogueDb;
class Connection;
class Statement;

// A dynaset over the result of a Jet SELECT. Rows are read from the engine
// as the cursor reaches them (so the first rows of a large query come at
// once) and kept; each row remembers the rowids of its base rows, so edits,
// additions and deletions go to the base table that owns each column, also
// through a join. Every operation that fails throws DbError.
// Opened forward-only or releasing rows (read-only too), it keeps only the
// rows from the current one on: a list fed row by row, or a record set
// positioned far down a long list, costs no memory for the rows it has
// passed. Moving back before the current row throws (forward-only) or reads
// from the top again (releasing rows); FindPrevious and FindLast throw.
class Recordset {
public:
    enum Option : int { kNone = 0, kReadOnly = 4, kForwardOnly = 256, kReleaseRows = 0x10000 };
    enum class EditMode { None, Edit, AddNew };

    explicit Recordset(CatalogueDb& db);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void open(std::string_view jetSelect, int options = kNone);
    bool isOpen() const { return m_open; }
    void close();
    void requery();

    bool isBOF() const;
    bool isEOF();
    void moveFirst();
    void moveNext();
    void movePrev();
    void moveLast();
    long absolutePosition();            // -1 at BOF/EOF
    void setAbsolutePosition(long position);
    long recordCount() const;           // rows met so far; all after moveLast

    // Jet criterion; true when found (then the current row), false leaves
    // the current row where it was.
    bool findFirst(std::string_view criterion);
    bool findNext(std::string_view criterion);
    bool findPrev(std::string_view criterion);
    bool findLast(std::string_view criterion);
    bool noMatch() const { return m_noMatch; }

    int fieldCount() const { return static_cast<int>(m_columns.size()); }
    const std::string& fieldName(int index) const;
    // By the result name ("商品コード") or qualified ("商品マスタ.商品コード").
    Variant fieldValue(std::string_view name);
    Variant fieldValue(int index);

    void addNew();
    void edit();
    void setFieldValue(std::string_view name, std::string_view text);
    void setFieldNull(std::string_view name);
    void update();
    void cancelUpdate();
    EditMode editMode() const { return m_editMode; }
    void deleteCurrent();

    bool isUpdatable() const { return m_updatable; }
    // Takes every remaining row from the engine, so the engine holds no
    // cursor for this record set any more.
    void readToEnd();

private:
    struct Column {
        std::string name;          // result name
        std::string qualifiedName; // origin "table.column" when known
        std::string originTable, originColumn;
        ColumnKind kind = ColumnKind::Unknown;
        int tableIndex = -1;       // which FROM table (rowid column) owns it
    };
    struct Row {
        std::vector<StoredValue> values;
        std::vector<long long> rowids; // 0 when the join gave no base row
    };

    void requireOpen() const;
    void requireKeptRows() const;
    void requireForwardTo(long position) const;
    bool reachRow(size_t index);
    // Rows further ahead than this are skipped by the engine (releasing rows).
    static constexpr size_t kSkipAhead = 64;
    // Runs the statement again from row `first` on (0: from the top).
    void restartAt(size_t first);
    bool canSkipAhead() const;
    size_t rowCount() const; // rows met so far, including those let go
    Row& rowAt(size_t index);
    void execute();
    bool fetchOne();
    bool ensureRow(size_t index);
    void fetchAll();
    const Row& currentRow();
    int findColumn(std::string_view qualifier, std::string_view name) const;
    int columnIndex(std::string_view name) const;
    Variant toVariant(const Column& column, const StoredValue& value) const;
    bool findFrom(std::string_view criterion, long start, int step);
    bool anyRowMatches(std::string_view criterion);
    void writeEdit();
    void writeNew();
    std::optional<Row> reloadRow(size_t tableIndex, long long rowid);

    CatalogueDb& m_db;
    std::shared_ptr<Connection> m_connection;
    std::unique_ptr<Statement> m_statement;
    std::string m_statementText;
    JetStatement m_translated;
    bool m_open = false;
    bool m_updatable = false;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows; // from row m_base on
    size_t m_base = 0;       // rows let go by a forward-only record set
    bool m_forwardOnly = false;
    bool m_releaseRows = false;
    long m_seekTo = -1; // the row being sought: rows before it may go
    bool m_offsetStatement = false; // the statement begins at row m_base
    bool m_exhausted = false;
    long m_position = -1;     // index into m_rows; -1 = BOF, m_rows.size() = EOF
    bool m_onDeleted = false; // the current row was deleted; moves go on from its place
    bool m_noMatch = false;
    EditMode m_editMode = EditMode::None;
    std::vector<std::optional<StoredValue>> m_buffer;
};

} // namespace kiro::db

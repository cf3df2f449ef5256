#include "migration/JetFile.h"

#include "migration/Texts.h"
#include "store/Error.h"

#include <QFile>
#include <QFileInfo>

// mdbtools' header uses GLib's types without including it in C++.
#include <glib.h>

#include <mdbtools.h>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace migration {

namespace {

constexpr int HeaderSize = 19;

store::Error failure(int number, const QString& reason) {
    return store::Error(number, reason);
}

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// Date arithmetic on whole days from 0001-01-01 (proleptic Gregorian), as Jet
// counts them; QDate's Julian days would do too but this is 10 times cheaper
// per reading.
void civilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = std::int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int(yy + (m <= 2));
}

} // namespace

bool hasJetHeader(const QByteArray& firstBytes) {
    if (firstBytes.size() < HeaderSize) return false;
    static const char jet[] = "\x00\x01\x00\x00Standard Jet DB";
    static const char ace[] = "\x00\x01\x00\x00Standard ACE DB";
    return std::memcmp(firstBytes.constData(), jet, HeaderSize) == 0 ||
           std::memcmp(firstBytes.constData(), ace, HeaderSize) == 0;
}

bool isJetFile(const QString& path) {
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return false;
    return hasJetHeader(f.read(HeaderSize));
}

QString jetDateText(double days) {
    // Jet holds 100-01-01 (-657434) to 9999-12-31 (2958465).
    if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0) return {};
    // The whole part counts days either way; the fraction is the time of day.
    double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    std::int64_t seconds = std::llround(fraction * 86400.0);
    std::int64_t day = std::int64_t(whole);
    // The time of day runs forward on either side of day 0.
    if (seconds >= 86400) {
        seconds -= 86400;
        day += 1;
    }
    int y = 0;
    unsigned m = 0, d = 0;
    // 1899-12-30 is day 0; civilFromDays counts from 1970-01-01.
    civilFromDays(day - 25569, y, m, d);
    if (y < 100 || y > 9999) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", y, m, d, int(seconds / 3600),
                  int(seconds / 60 % 60), int(seconds % 60));
    return QString::fromLatin1(text);
}

double singleToDouble(float value) {
    if (!std::isfinite(value) || value == 0.0f) return double(value);
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", double(value));
    return std::strtod(text, nullptr);
}

namespace {

struct TableDef {
    MdbTableDef* def = nullptr;
    ~TableDef() {
        if (def) mdb_free_tabledef(def);
    }
};

// mdbtools walks a table's pages by its usage map without looking at it
// first: an empty one (a damaged definition) would be read through a null
// pointer.
bool readable(const MdbTableDef* t) {
    return t && t->usage_map && t->map_sz >= 1;
}

// A Jet file is whole pages (2 KB for Jet 3, 4 KB after), at least the header,
// a page map and the catalog: anything else was cut short.
void checkShape(const QByteArray& head, qint64 size) {
    if (!hasJetHeader(head)) throw failure(SQLITE_NOTADB, texts::NotJet);
    const qint64 pageSize = head.size() > 0x14 && head[0x14] == 0 ? 2048 : 4096;
    if (size % pageSize != 0 || size < 3 * pageSize) throw failure(SQLITE_CORRUPT, texts::Damaged);
}

} // namespace

struct JetFile::Handle {
    MdbHandle* mdb = nullptr;
    qint64 fileSize = 0;
    // The user tables' catalog entries; a table definition points at its own.
    std::vector<std::unique_ptr<MdbCatalogEntry>> catalog;
    ~Handle() {
        if (mdb) mdb_close(mdb);
    }
};

JetFile::JetFile(std::unique_ptr<Handle> handle) : h_(std::move(handle)) {}

JetFile::~JetFile() = default;

namespace {

// The database password of Jet 3 and Jet 4 files sits, masked, in the header
// page (which mdbtools has already decoded): nothing but zeros means none.
// mdbtools would read such a file anyway; the earlier program could not have.
bool hasPassword(MdbHandle* mdb) {
    const unsigned char* page = mdb->pg_buf;
    if (mdb->f->jet_version == MDB_VER_JET3) {
        for (int i = 0; i < 20; ++i)
            if (page[0x42 + i] != 0) return true;
        return false;
    }
    if (mdb->f->jet_version != MDB_VER_JET4) return false;
    // Jet 4 masks it further with the file's creation date.
    double created = 0;
    std::memcpy(&created, page + 0x72, sizeof created);
    const std::int32_t whole =
        std::isfinite(created) && std::fabs(created) < 2e9 ? std::int32_t(created) : 0;
    unsigned char mask[4];
    for (int i = 0; i < 4; ++i)
        mask[i] = static_cast<unsigned char>(std::uint32_t(whole) >> (8 * i));
    for (int i = 0; i < 40; ++i)
        if ((page[0x42 + i] ^ mask[i % 4]) != 0) return true;
    return false;
}

} // namespace

std::unique_ptr<JetFile> JetFile::open(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) throw failure(store::code::CantOpen, texts::Folder);
    if (!info.exists()) throw failure(store::code::CantOpen, texts::Missing);
    if (info.size() == 0) throw failure(SQLITE_NOTADB, texts::Empty);
    if (!info.isReadable()) throw failure(SQLITE_PERM, texts::Unreadable);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw failure(SQLITE_PERM, texts::Unreadable);
    checkShape(f.read(0x15), info.size());
    auto h = std::make_unique<Handle>();
    h->fileSize = info.size();
    h->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!h->mdb) throw failure(SQLITE_CORRUPT, texts::Damaged);
    std::unique_ptr<JetFile> file(new JetFile(std::move(h)));
    file->readCatalog();
    return file;
}

std::unique_ptr<JetFile> JetFile::openBytes(const QByteArray& bytes) {
    if (bytes.isEmpty()) throw failure(SQLITE_NOTADB, texts::Empty);
    checkShape(bytes.left(0x15), bytes.size());
    auto h = std::make_unique<Handle>();
    h->fileSize = bytes.size();
    h->mdb =
        mdb_open_buffer(const_cast<char*>(bytes.constData()), size_t(bytes.size()), MDB_NOFLAGS);
    if (!h->mdb) throw failure(SQLITE_CORRUPT, texts::Damaged);
    std::unique_ptr<JetFile> file(new JetFile(std::move(h)));
    file->readCatalog();
    return file;
}

void JetFile::readCatalog() {
    MdbHandle* mdb = h_->mdb;
    if (hasPassword(mdb)) throw failure(SQLITE_AUTH, texts::Password);
    // Values are read raw or into buffers of our own; this bounds the
    // catalog's names and the text of a Text column (255 characters).
    mdb_set_bind_size(mdb, 64 * 1024);
    const QString damaged =
        mdb->f->jet_version > MDB_VER_JET4 ? texts::DamagedOrPassword : texts::Damaged;
    // The catalog is read here rather than by mdb_read_catalog, which also
    // parses every object's properties and loops for ever on a damaged
    // property block. The tables need none of them.
    MdbCatalogEntry objects{};
    objects.mdb = mdb;
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    std::snprintf(objects.object_name, sizeof objects.object_name, "MSysObjects");
    TableDef holder;
    holder.def = mdb_read_table(&objects);
    if (!readable(holder.def) || !mdb_read_columns(holder.def))
        throw failure(SQLITE_CORRUPT, damaged);
    std::vector<std::vector<char>> bound(4, std::vector<char>(mdb->bind_size + 1, '\0'));
    const char* names[] = {"Id", "Name", "Type", "Flags"};
    for (int i = 0; i < 4; ++i)
        if (mdb_bind_column_by_name(holder.def, const_cast<gchar*>(names[i]), bound[i].data(),
                                    nullptr) == -1)
            throw failure(SQLITE_CORRUPT, damaged);
    mdb_rewind_table(holder.def);
    while (mdb_fetch_row(holder.def)) {
        const int type = std::atoi(bound[2].data());
        if ((type & 0x7f) != MDB_TABLE) continue;
        auto entry = std::make_unique<MdbCatalogEntry>();
        std::memset(entry.get(), 0, sizeof(MdbCatalogEntry));
        entry->mdb = mdb;
        std::snprintf(entry->object_name, sizeof entry->object_name, "%s", bound[1].data());
        entry->object_type = type & 0x7f;
        entry->table_pg = std::strtoul(bound[0].data(), nullptr, 10) & 0x00ffffff;
        entry->flags = int(std::strtol(bound[3].data(), nullptr, 10));
        if (!mdb_is_user_table(entry.get())) continue;
        tables_ << QString::fromUtf8(entry->object_name);
        h_->catalog.push_back(std::move(entry));
    }
    if (h_->catalog.empty()) throw failure(SQLITE_CORRUPT, damaged);
}

QString JetFile::version() const {
    switch (h_->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return QStringLiteral("Jet 3");
    case MDB_VER_JET4:
        return QStringLiteral("Jet 4");
    default:
        return QStringLiteral("ACE");
    }
}

namespace {

MdbTableDef* readTable(const std::vector<std::unique_ptr<MdbCatalogEntry>>& catalog,
                       const QString& name, TableDef& holder) {
    const QByteArray n = name.toUtf8();
    for (const auto& entry : catalog)
        if (g_ascii_strcasecmp(entry->object_name, n.constData()) == 0) {
            holder.def = mdb_read_table(entry.get());
            break;
        }
    if (!readable(holder.def) || !mdb_read_columns(holder.def))
        throw failure(SQLITE_CORRUPT,
                      texts::Damaged + QStringLiteral(" (the table %1 cannot be read)").arg(name));
    return holder.def;
}

MdbColumn* columnAt(MdbTableDef* t, unsigned i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
}

} // namespace

JetTable JetFile::table(const QString& name) {
    TableDef holder;
    MdbTableDef* t = readTable(h_->catalog, name, holder);
    JetTable result;
    result.name = name;
    result.rows = t->num_rows;
    for (unsigned i = 0; i < t->num_cols; ++i) {
        const MdbColumn* c = columnAt(t, i);
        JetColumn col;
        col.name = QString::fromUtf8(c->name);
        col.type = c->col_type;
        col.size = c->col_size;
        col.precision = c->col_prec;
        col.scale = c->col_scale;
        result.columns.push_back(col);
    }
    return result;
}

namespace {

// Reads one row's values out of the page mdbtools left in pg_buf.
class RowReader {
public:
    RowReader(MdbHandle* mdb, MdbTableDef* t, qint64 fileSize)
        : mdb_(mdb), t_(t), fileSize_(fileSize), values_(t->num_cols) {
        // A long value (memo, OLE) is followed through pages of its own: the
        // file bounds both its length and the number of pages it may take.
        maxPages_ = fileSize / mdb->fmt->pg_size + 1;
        oleBuffers_.reserve(t->num_cols);
        for (unsigned i = 0; i < t->num_cols; ++i)
            if (columnAt(t, i)->col_type == MDB_OLE) {
                oleBuffers_.emplace_back(size_t(mdb->fmt->pg_size) * 2, '\0');
                mdb_bind_column(t, int(i) + 1, oleBuffers_.back().data(), nullptr);
            }
    }

    const std::vector<JetValue>& read() {
        for (unsigned i = 0; i < t_->num_cols; ++i)
            readValue(columnAt(t_, i), values_[i]);
        return values_;
    }

private:
    bool within(int start, int len) const {
        return start >= 0 && len >= 0 && std::int64_t(start) + len <= mdb_->fmt->pg_size;
    }

    void setNull(JetValue& v) {
        v.kind = JetValue::Kind::Null;
        v.bytes.clear();
    }

    void readValue(MdbColumn* c, JetValue& v) {
        const int start = c->cur_value_start;
        const int len = c->cur_value_len;
        const unsigned char* page = mdb_->pg_buf;
        // A Yes/No column keeps its value in the row's null mask, which
        // mdbtools hands over as a length of 0 for Yes.
        if (c->col_type == MDB_BOOL) {
            v.kind = JetValue::Kind::Integer;
            v.integer = len == 0 ? 1 : 0;
            return;
        }
        // Jet stores no empty text apart from Null in the columns the earlier
        // program wrote; mdbtools gives both as a length of 0.
        if (len == 0 || !within(start, len)) return setNull(v);
        auto need = [&](int n) { return len >= n; };
        switch (c->col_type) {
        case MDB_BYTE:
            v.kind = JetValue::Kind::Integer;
            v.integer = page[start];
            return;
        case MDB_INT:
            if (!need(2)) return setNull(v);
            v.kind = JetValue::Kind::Integer;
            v.integer = std::int16_t(page[start] | page[start + 1] << 8);
            return;
        case MDB_LONGINT:
        case MDB_COMPLEX:
            if (!need(4)) return setNull(v);
            v.kind = JetValue::Kind::Integer;
            v.integer = std::int32_t(le32(page + start));
            return;
        case MDB_MONEY: {
            if (!need(8)) return setNull(v);
            std::int64_t units = 0;
            std::memcpy(&units, page + start, 8);
            // Exact: four decimals, as Jet keeps them.
            const std::uint64_t magnitude =
                units < 0 ? std::uint64_t(0) - std::uint64_t(units) : std::uint64_t(units);
            char text[40];
            std::snprintf(text, sizeof text, "%s%llu.%04llu", units < 0 ? "-" : "",
                          static_cast<unsigned long long>(magnitude / 10000),
                          static_cast<unsigned long long>(magnitude % 10000));
            v.kind = JetValue::Kind::Text;
            v.bytes = text;
            return;
        }
        case MDB_FLOAT: {
            if (!need(4)) return setNull(v);
            float f = 0;
            std::memcpy(&f, page + start, 4);
            if (!std::isfinite(f)) return setNull(v);
            v.kind = JetValue::Kind::Real;
            v.real = singleToDouble(f);
            return;
        }
        case MDB_DOUBLE: {
            if (!need(8)) return setNull(v);
            double d = 0;
            std::memcpy(&d, page + start, 8);
            if (!std::isfinite(d)) return setNull(v);
            v.kind = JetValue::Kind::Real;
            v.real = d;
            return;
        }
        case MDB_DATETIME: {
            if (!need(8)) return setNull(v);
            double d = 0;
            std::memcpy(&d, page + start, 8);
            const QString text = jetDateText(d);
            // A number that is no date is kept as it is, for the adopt step to report.
            if (text.isEmpty()) {
                if (!std::isfinite(d)) return setNull(v);
                v.kind = JetValue::Kind::Real;
                v.real = d;
                return;
            }
            v.kind = JetValue::Kind::Text;
            v.bytes = text.toStdString();
            return;
        }
        case MDB_REPID: {
            if (!need(16)) return setNull(v);
            char* s = mdb_uuid_to_string_fmt(page, start, MDB_BRACES_4_2_2_8);
            v.kind = JetValue::Kind::Text;
            v.bytes = s;
            g_free(s);
            return;
        }
        case MDB_NUMERIC: {
            if (!need(17)) return setNull(v);
            char* s = mdb_numeric_to_string(mdb_, start, c->col_scale, c->col_prec);
            v.kind = JetValue::Kind::Text;
            v.bytes = s;
            g_free(s);
            return;
        }
        case MDB_BINARY:
            v.kind = JetValue::Kind::Blob;
            v.bytes.assign(reinterpret_cast<const char*>(page + start), size_t(len));
            return;
        case MDB_TEXT:
            return toText(reinterpret_cast<const char*>(page + start), size_t(len), v);
        case MDB_MEMO:
            return readMemo(start, len, v);
        case MDB_OLE:
            return readOle(c, v);
        default:
            return setNull(v);
        }
    }

    void toText(const char* src, size_t len, JetValue& v) {
        // At most three bytes of UTF-8 for each byte stored (compressed text
        // holds one byte a character).
        const size_t room = len * 3 + 16;
        if (buffer_.size() < room) buffer_.resize(room);
        const int n = mdb_unicode2ascii(mdb_, src, len, buffer_.data(), room);
        v.kind = JetValue::Kind::Text;
        v.bytes.assign(buffer_.data(), n > 0 ? size_t(n) : 0);
    }

    // The memo's whole text, however long: mdbtools' own reader stops at its
    // bind size without saying so.
    void readMemo(int start, int len, JetValue& v) {
        if (len < MDB_MEMO_OVERHEAD) return setNull(v);
        const unsigned char* page = mdb_->pg_buf;
        const std::uint32_t header = le32(page + start);
        const std::uint32_t length = header & 0x3fffffff;
        if (header & 0x80000000) {
            const int inlineLength = len - MDB_MEMO_OVERHEAD;
            return toText(reinterpret_cast<const char*>(page + start + MDB_MEMO_OVERHEAD),
                          size_t(inlineLength), v);
        }
        std::int32_t pgRow = std::int32_t(le32(page + start + 4));
        void* buf = nullptr;
        int rowStart = 0;
        size_t rowLength = 0;
        if (header & 0x40000000) {
            if (mdb_find_pg_row(mdb_, pgRow, &buf, &rowStart, &rowLength) != 0) return setNull(v);
            return toText(static_cast<const char*>(buf) + rowStart, rowLength, v);
        }
        if (header & 0xc0000000 || length > fileSize_) return setNull(v);
        memo_.clear();
        for (qint64 pages = 0; pgRow != 0 && pages < maxPages_; ++pages) {
            if (mdb_find_pg_row(mdb_, pgRow, &buf, &rowStart, &rowLength) != 0 || rowLength < 4)
                break;
            const char* row = static_cast<const char*>(buf) + rowStart;
            const size_t take = std::min<size_t>(rowLength - 4, length - memo_.size());
            memo_.append(row + 4, take);
            if (memo_.size() >= length) break;
            pgRow = std::int32_t(le32(reinterpret_cast<const unsigned char*>(row)));
        }
        toText(memo_.data(), memo_.size(), v);
    }

    void readOle(MdbColumn* c, JetValue& v) {
        if (c->cur_value_len < MDB_MEMO_OVERHEAD) return setNull(v);
        char header[MDB_MEMO_OVERHEAD];
        std::memcpy(header, mdb_->pg_buf + c->cur_value_start, MDB_MEMO_OVERHEAD);
        v.kind = JetValue::Kind::Blob;
        v.bytes.clear();
        size_t n = mdb_ole_read(mdb_, c, header, size_t(mdb_->fmt->pg_size) * 2);
        const char* chunk = static_cast<const char*>(c->bind_ptr);
        // A chain of pages that loops or runs past the file is cut where it does.
        for (qint64 pages = 0;
             n > 0 && pages < maxPages_ && qint64(v.bytes.size() + n) <= fileSize_; ++pages) {
            v.bytes.append(chunk, n);
            n = mdb_ole_read_next(mdb_, c, header);
        }
    }

    MdbHandle* mdb_;
    MdbTableDef* t_;
    qint64 fileSize_;
    qint64 maxPages_ = 0;
    std::vector<JetValue> values_;
    std::vector<std::string> oleBuffers_;
    std::vector<char> buffer_;
    std::string memo_;
};

} // namespace

qint64 JetFile::readRows(const QString& name,
                         const std::function<bool(const std::vector<JetValue>&)>& f) {
    TableDef holder;
    MdbTableDef* t = readTable(h_->catalog, name, holder);
    RowReader reader(h_->mdb, t, h_->fileSize);
    mdb_rewind_table(t);
    qint64 rows = 0;
    while (mdb_fetch_row(t)) {
        ++rows;
        if (!f(reader.read())) break;
    }
    return rows;
}

} // namespace migration

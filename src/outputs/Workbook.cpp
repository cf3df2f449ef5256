#include "outputs/Workbook.h"

#include "app/FileReplace.h"
#include "app/TextFormat.h"
#include "outputs/Texts.h"
#include "store/Error.h"

#include <QDate>
#include <QFile>
#include <QTemporaryFile>
#include <QTime>

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>

namespace outputs {

namespace {

constexpr int Block = 1000;
constexpr double MaxWidth = 255.0;

[[noreturn]] void fail(lxw_error error, const QString& what) {
    throw store::Error(store::code::Error,
                       QString::fromUtf8(lxw_strerror(error)) + QStringLiteral(": ") + what);
}

void check(lxw_error error, const QString& what) {
    if (error != LXW_NO_ERROR) fail(error, what);
}

// The number of count digits at text[at], or -1 where one is no digit.
int digitsAt(const QString& text, qsizetype at, int count) {
    int n = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return -1;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

// "2013/12/03" straight from its digits, the form readings keep their dates
// in; anything else the way a user may type a date.
std::optional<QDate> readDate(const QString& text) {
    if (text.size() == 10 && text[4] == QLatin1Char('/') && text[7] == QLatin1Char('/')) {
        const int y = digitsAt(text, 0, 4), m = digitsAt(text, 5, 2), d = digitsAt(text, 8, 2);
        if (y >= 0 && m >= 0 && d >= 0) {
            const QDate date(y, m, d);
            return date.isValid() ? std::optional(date) : std::nullopt;
        }
    }
    return app::toDate(text);
}

// "20:33:08" straight from its digits, the form readings keep their times in;
// "8:33:08" and "20:33" too. Seconds since midnight.
std::optional<int> readTime(const QString& text) {
    if (text.size() == 8 && text[2] == QLatin1Char(':') && text[5] == QLatin1Char(':')) {
        const int h = digitsAt(text, 0, 2), m = digitsAt(text, 3, 2), s = digitsAt(text, 6, 2);
        if (h >= 0 && m >= 0 && s >= 0)
            return QTime::isValid(h, m, s) ? std::optional(h * 3600 + m * 60 + s) : std::nullopt;
    }
    const QString trimmed = text.trimmed();
    QTime t = QTime::fromString(trimmed, QStringLiteral("H:mm:ss"));
    if (!t.isValid()) t = QTime::fromString(trimmed, QStringLiteral("H:mm"));
    return t.isValid() ? std::optional(t.msecsSinceStartOfDay() / 1000) : std::nullopt;
}

// A date the sheet can hold: Excel counts days from 1900 and stops at 9999.
bool sheetDate(const QDate& d) {
    return d.isValid() && d.year() >= 1900 && d.year() <= 9999;
}

// How many characters a number takes in a cell of the General format.
int numberWidth(double value) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    return end.ec == std::errc() ? int(end.ptr - buffer) : 11;
}

// The formats every sheet of a workbook shares.
struct Formats {
    explicit Formats(lxw_workbook* book) {
        bold = workbook_add_format(book);
        format_set_bold(bold);
        date = workbook_add_format(book);
        format_set_num_format(date, texts::SheetDateFormat);
        time = workbook_add_format(book);
        format_set_num_format(time, texts::SheetTimeFormat);
        dateTime = workbook_add_format(book);
        format_set_num_format(dateTime, texts::SheetDateTimeFormat);
    }
    // One format per colour, made the first time it is asked for.
    lxw_format* fill(lxw_workbook* book, const QColor& colour) {
        if (!colour.isValid()) return nullptr;
        const QRgb rgb = colour.rgb() & 0xffffff;
        auto& format = fills[rgb];
        if (!format) {
            format = workbook_add_format(book);
            format_set_bg_color(format, lxw_color_t(rgb));
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_font_color(format, lettersOn(colour) == QColor(Qt::white) ? LXW_COLOR_WHITE
                                                                                 : LXW_COLOR_BLACK);
        }
        return format;
    }
    lxw_format *bold, *date, *time, *dateTime;
    std::map<QRgb, lxw_format*> fills;
};

// The sheet being written: cells and the widest text of each column.
class Sheet {
public:
    Sheet(lxw_worksheet* sheet, const Formats& formats, std::vector<SheetColumn> columns)
        : sheet_(sheet), formats_(formats), columns_(std::move(columns)),
          widths_(columns_.size(), 0) {}

    size_t columnCount() const { return columns_.size(); }
    lxw_row_t nextRow() const { return next_; }

    void header() {
        for (size_t c = 0; c < columns_.size(); ++c) {
            const QString& title = columns_[c].title;
            if (!title.isEmpty()) text(0, c, title, formats_.bold);
            // Bold letters are a little wider.
            widths_[c] = std::max(widths_[c], int(title.size()) + 1);
        }
        next_ = 1;
    }

    void row(const std::vector<QVariant>& cells,
             const std::vector<lxw_format*>& fills = std::vector<lxw_format*>()) {
        for (size_t c = 0; c < columns_.size() && c < cells.size(); ++c)
            cell(next_, c, cells[c], c < fills.size() ? fills[c] : nullptr);
        ++next_;
    }

    // Column widths in characters, with room either side: a value set right
    // (a number, a date, a time) keeps clear of the one before it.
    void fitColumns() {
        for (size_t c = 0; c < columns_.size(); ++c)
            check(worksheet_set_column(sheet_, lxw_col_t(c), lxw_col_t(c),
                                       std::min(MaxWidth, widths_[c] + Room), nullptr),
                  columns_[c].title);
    }

private:
    static constexpr double Room = 2.5;

    void cell(lxw_row_t row, size_t c, const QVariant& value, lxw_format* fill) {
        if (value.isNull() || !value.isValid()) return;
        switch (columns_[c].kind) {
        case SheetKind::Flag:
            check(worksheet_write_boolean(sheet_, row, lxw_col_t(c), value.toBool(), nullptr),
                  columns_[c].title);
            widths_[c] = std::max(widths_[c], 5);
            return;
        case SheetKind::Number:
            if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong ||
                value.typeId() == QMetaType::Int) {
                number(row, c, value.toDouble(), fill);
                return;
            }
            if (const auto n = app::toNumber(value.toString())) {
                number(row, c, *n, fill);
                return;
            }
            break;
        case SheetKind::Date: {
            const QDate d = value.typeId() == QMetaType::QDate
                                ? value.toDate()
                                : readDate(value.toString()).value_or(QDate());
            if (sheetDate(d)) {
                moment(row, c, {d.year(), d.month(), d.day(), 0, 0, 0.0}, formats_.date, 10);
                return;
            }
            break;
        }
        case SheetKind::Time:
            if (const auto seconds = readTime(value.toString())) {
                // A time of day is the fraction of a day, as the spreadsheet keeps it.
                check(worksheet_write_number(sheet_, row, lxw_col_t(c), *seconds / 86400.0,
                                             formats_.time),
                      columns_[c].title);
                widths_[c] = std::max(widths_[c], 8);
                return;
            }
            break;
        case SheetKind::DateTime: {
            const QString s = value.toString();
            const qsizetype blank = s.indexOf(QLatin1Char(' '));
            const QDate d = readDate(s.left(blank)).value_or(QDate());
            const auto seconds = blank < 0 ? std::optional(0) : readTime(s.mid(blank + 1));
            if (sheetDate(d) && seconds) {
                moment(row, c,
                       {d.year(), d.month(), d.day(), *seconds / 3600, *seconds / 60 % 60,
                        double(*seconds % 60)},
                       formats_.dateTime, 19);
                return;
            }
            break;
        }
        case SheetKind::Text:
            break;
        }
        const QString s = value.toString();
        if (!s.isEmpty()) text(row, c, s, fill);
    }

    void moment(lxw_row_t row, size_t c, lxw_datetime when, lxw_format* format, int width) {
        check(worksheet_write_datetime(sheet_, row, lxw_col_t(c), &when, format),
              columns_[c].title);
        widths_[c] = std::max(widths_[c], width);
    }
    void number(lxw_row_t row, size_t c, double value, lxw_format* format) {
        check(worksheet_write_number(sheet_, row, lxw_col_t(c), value, format), columns_[c].title);
        widths_[c] = std::max(widths_[c], numberWidth(value));
    }
    void text(lxw_row_t row, size_t c, const QString& s, lxw_format* format) {
        const QByteArray utf8 = s.toUtf8();
        check(worksheet_write_string(sheet_, row, lxw_col_t(c), utf8.constData(), format),
              columns_[c].title);
        widths_[c] = std::max(widths_[c], int(s.size()));
    }

    lxw_worksheet* sheet_;
    const Formats& formats_;
    std::vector<SheetColumn> columns_;
    std::vector<int> widths_;
    lxw_row_t next_ = 0;
};

// A workbook given up before it was closed is freed without writing anything.
struct BookFree {
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

} // namespace

struct WorkbookWriter::Book {
    QString path;
    // Removed by its destructor unless it was renamed into place.
    QTemporaryFile temporary;
    QString part;
    std::unique_ptr<lxw_workbook, BookFree> book;
    std::unique_ptr<Formats> formats;
    std::vector<Sheet> sheets;

    explicit Book(const QString& target) : path(target), temporary(target + ".XXXXXX") {}
};

WorkbookWriter::WorkbookWriter(const QString& path) : book_(std::make_unique<Book>(path)) {
    Book& b = *book_;
    if (!b.temporary.open())
        throw store::Error(store::code::CantOpen,
                           b.temporary.errorString() + QStringLiteral(": ") + path);
    // Asked while open, so that the file has a name.
    b.part = b.temporary.fileName();
    b.temporary.close();

    // Rows go straight to the file as they are written, however many there are.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    const QByteArray partName = QFile::encodeName(b.part);
    b.book.reset(workbook_new_opt(partName.constData(), &options));
    if (!b.book)
        throw store::Error(store::code::CantOpen, QStringLiteral("Cannot create ") + b.part);
    b.formats = std::make_unique<Formats>(b.book.get());
}

WorkbookWriter::~WorkbookWriter() = default;

int WorkbookWriter::addSheet(const QString& name, const std::vector<SheetColumn>& columns) {
    Book& b = *book_;
    const QByteArray utf8 = name.toUtf8();
    const bool named = !name.isEmpty() &&
                       workbook_validate_sheet_name(b.book.get(), utf8.constData()) == LXW_NO_ERROR;
    lxw_worksheet* worksheet =
        workbook_add_worksheet(b.book.get(), named ? utf8.constData() : nullptr);
    if (!worksheet) throw store::Error(store::code::Error, QStringLiteral("Cannot add a sheet"));
    worksheet_freeze_panes(worksheet, 1, 0);
    // Printed across the page's width, the titles on every page.
    worksheet_set_landscape(worksheet);
    worksheet_fit_to_pages(worksheet, 1, 0);
    check(worksheet_repeat_rows(worksheet, 0, 0), QStringLiteral("titles"));
    b.sheets.emplace_back(worksheet, *b.formats, columns);
    b.sheets.back().header();
    return int(b.sheets.size()) - 1;
}

QColor lettersOn(const QColor& ground) {
    return 0.299 * ground.redF() + 0.587 * ground.greenF() + 0.114 * ground.blueF() < 0.55
               ? QColor(Qt::white)
               : QColor(Qt::black);
}

void WorkbookWriter::addRow(int sheet, const std::vector<QVariant>& cells) {
    book_->sheets.at(size_t(sheet)).row(cells);
}

void WorkbookWriter::addRow(int sheet, const std::vector<QVariant>& cells,
                            const std::vector<QColor>& fills) {
    Book& b = *book_;
    std::vector<lxw_format*> formats;
    formats.reserve(fills.size());
    for (const QColor& colour : fills)
        formats.push_back(b.formats->fill(b.book.get(), colour));
    b.sheets.at(size_t(sheet)).row(cells, formats);
}

void WorkbookWriter::finish() {
    Book& b = *book_;
    for (Sheet& sheet : b.sheets)
        sheet.fitColumns();
    const lxw_error closed = workbook_close(b.book.release());
    if (closed != LXW_NO_ERROR) fail(closed, b.part);
    // A temporary file is private to its owner; the finished one is not.
    QFile::setPermissions(b.part, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ReadOther);
    app::replaceFile(b.part, b.path);
}

bool addRows(WorkbookWriter& book, int sheet, const SheetRows& rows, const SheetProgress& progress,
             int before, int total) {
    const int count = rows.sheetRowCount();
    for (int first = 0; first < count; first += Block) {
        if (progress && !progress(before + first, total)) return false;
        for (const std::vector<QVariant>& row :
             rows.sheetRows(first, std::min(Block, count - first)))
            book.addRow(sheet, row);
    }
    return true;
}

bool writeWorkbook(const QString& path, const QString& sheetName,
                   const std::vector<SheetColumn>& columns, const SheetRows& rows,
                   const SheetProgress& progress) {
    WorkbookWriter book(path);
    const int sheet = book.addSheet(sheetName, columns);
    const int total = rows.sheetRowCount();
    if (!addRows(book, sheet, rows, progress, 0, total)) return false;
    if (progress && !progress(total, total)) return false;
    book.finish();
    return true;
}

} // namespace outputs

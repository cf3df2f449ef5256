#include "outputs/Workbook.h"

#include "app/FileReplace.h"
#include "app/TextFormat.h"
#include "outputs/Texts.h"
#include "store/Error.h"

#include <QDate>
#include <QFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
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

// "2013/12/03" straight from its digits, the form readings keep their dates
// in; anything else the way a user may type a date.
std::optional<QDate> readDate(const QString& text) {
    if (text.size() == 10 && text[4] == QLatin1Char('/') && text[7] == QLatin1Char('/')) {
        int parts[3] = {0, 0, 0};
        const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
        bool digits = true;
        for (int p = 0; p < 3 && digits; ++p)
            for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
                const QChar c = text[i];
                digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
                parts[p] = parts[p] * 10 + (c.unicode() - '0');
            }
        if (digits) {
            const QDate d(parts[0], parts[1], parts[2]);
            return d.isValid() ? std::optional(d) : std::nullopt;
        }
    }
    return app::toDate(text);
}

// How many characters a number takes in a cell of the General format.
int numberWidth(double value) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    return end.ec == std::errc() ? int(end.ptr - buffer) : 11;
}

// The sheet being written: cells and the widest text of each column.
class Sheet {
public:
    Sheet(lxw_workbook* book, lxw_worksheet* sheet, const std::vector<SheetColumn>& columns)
        : sheet_(sheet), columns_(columns), widths_(columns.size(), 0) {
        bold_ = workbook_add_format(book);
        format_set_bold(bold_);
        date_ = workbook_add_format(book);
        format_set_num_format(date_, texts::SheetDateFormat);
    }

    void header() {
        for (size_t c = 0; c < columns_.size(); ++c) {
            const QString& title = columns_[c].title;
            if (!title.isEmpty()) text(0, c, title, bold_);
            // Bold letters are a little wider.
            widths_[c] = std::max(widths_[c], int(title.size()) + 1);
        }
    }

    void cell(lxw_row_t row, size_t c, const QVariant& value) {
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
                number(row, c, value.toDouble());
                return;
            }
            if (const auto n = app::toNumber(value.toString())) {
                number(row, c, *n);
                return;
            }
            break;
        case SheetKind::Date: {
            const QDate d = value.typeId() == QMetaType::QDate
                                ? value.toDate()
                                : readDate(value.toString()).value_or(QDate());
            if (d.isValid() && d.year() >= 1900 && d.year() <= 9999) {
                lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0.0};
                check(worksheet_write_datetime(sheet_, row, lxw_col_t(c), &when, date_),
                      columns_[c].title);
                widths_[c] = std::max(widths_[c], 10);
                return;
            }
            break;
        }
        case SheetKind::Text:
            break;
        }
        const QString s = value.toString();
        if (!s.isEmpty()) text(row, c, s, nullptr);
    }

    // Column widths in characters, with a little room either side.
    void fitColumns() {
        for (size_t c = 0; c < columns_.size(); ++c)
            check(worksheet_set_column(sheet_, lxw_col_t(c), lxw_col_t(c),
                                       std::min(MaxWidth, widths_[c] + 1.5), nullptr),
                  columns_[c].title);
    }

private:
    void number(lxw_row_t row, size_t c, double value) {
        check(worksheet_write_number(sheet_, row, lxw_col_t(c), value, nullptr), columns_[c].title);
        widths_[c] = std::max(widths_[c], numberWidth(value));
    }
    void text(lxw_row_t row, size_t c, const QString& s, lxw_format* format) {
        const QByteArray utf8 = s.toUtf8();
        check(worksheet_write_string(sheet_, row, lxw_col_t(c), utf8.constData(), format),
              columns_[c].title);
        widths_[c] = std::max(widths_[c], int(s.size()));
    }

    lxw_worksheet* sheet_;
    const std::vector<SheetColumn>& columns_;
    std::vector<int> widths_;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
};

// A workbook given up before it was closed is freed without writing anything.
struct BookFree {
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

} // namespace

bool writeWorkbook(const QString& path, const QString& sheetName,
                   const std::vector<SheetColumn>& columns, const SheetRows& rows,
                   const SheetProgress& progress) {
    QTemporaryFile temporary(path + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        throw store::Error(store::code::CantOpen,
                           temporary.errorString() + QStringLiteral(": ") + path);
    // Asked while open, so that the file has a name; removed by the
    // destructor unless it was renamed into place.
    const QString part = temporary.fileName();
    temporary.close();

    // Rows go straight to the file as they are written, however many there are.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    const QByteArray partName = QFile::encodeName(part);
    std::unique_ptr<lxw_workbook, BookFree> book(workbook_new_opt(partName.constData(), &options));
    if (!book) throw store::Error(store::code::CantOpen, QStringLiteral("Cannot create ") + part);

    const QByteArray name = sheetName.toUtf8();
    const bool named = !sheetName.isEmpty() &&
                       workbook_validate_sheet_name(book.get(), name.constData()) == LXW_NO_ERROR;
    lxw_worksheet* worksheet =
        workbook_add_worksheet(book.get(), named ? name.constData() : nullptr);
    if (!worksheet) throw store::Error(store::code::Error, QStringLiteral("Cannot add a sheet"));

    Sheet sheet(book.get(), worksheet, columns);
    worksheet_freeze_panes(worksheet, 1, 0);
    // Printed across the page's width, the titles on every page.
    worksheet_set_landscape(worksheet);
    worksheet_fit_to_pages(worksheet, 1, 0);
    check(worksheet_repeat_rows(worksheet, 0, 0), QStringLiteral("titles"));
    sheet.header();
    const int total = rows.sheetRowCount();
    for (int first = 0; first < total; first += Block) {
        if (progress && !progress(first, total)) return false;
        const auto block = rows.sheetRows(first, std::min(Block, total - first));
        for (size_t r = 0; r < block.size(); ++r) {
            const lxw_row_t row = lxw_row_t(first + int(r) + 1);
            for (size_t c = 0; c < columns.size() && c < block[r].size(); ++c)
                sheet.cell(row, c, block[r][c]);
        }
    }
    if (progress && !progress(total, total)) return false;
    sheet.fitColumns();

    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR) fail(closed, part);
    // A temporary file is private to its owner; the finished one is not.
    QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    app::replaceFile(part, path);
    return true;
}

} // namespace outputs

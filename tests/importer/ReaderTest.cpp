// The text driver: Schema.ini's bytes and sections, the reader on broken and
// unusual files, and OpenTroveData's files in the data folder.
#include "importer/ui/WindowImport.h"
#include "support/Support.h"

#include "importer/SchemaIni.h"
#include "importer/TextTable.h"
#include "importer/Texts.h"
#include "importer/TroveData.h"

#include <QDir>
#include <QFile>

using namespace testing_support;
using namespace importer;

namespace {

ColumnDescription sixteenColumns() {
    return *columnDescription(schemaBytes(), QStringLiteral("datafile.txt"));
}

// Each row as its fields joined by "|", a null shown as "~", trailing nulls left off.
std::vector<std::string> rowsOf(const TextTable& table) {
    std::vector<std::string> rows;
    for (int r = 0; r < table.RecordCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < table.fieldCount(); ++c) {
            EXPECT_EQ(table.isNull(r, c), table.text(r, c).isNull());
            fields << (table.isNull(r, c) ? QStringLiteral("~") : table.text(r, c));
        }
        while (!fields.isEmpty() && fields.last() == QStringLiteral("~"))
            fields.removeLast();
        rows.push_back(fields.join(QLatin1Char('|')).toStdString());
    }
    return rows;
}

struct ReaderCase {
    const char* name;
    QByteArray bytes;
    std::vector<std::string> rows;
};

class ReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, ReadsEveryLineAsSixteenTextColumns) {
    const TextTable table(GetParam().bytes, sixteenColumns());
    EXPECT_EQ(table.fieldCount(), 16);
    EXPECT_EQ(rowsOf(table), GetParam().rows);
}

const QByteArray Line = "2024/01/05 10:00:00,T7,91,005,21.5,1.25,2.5";

INSTANTIATE_TEST_SUITE_P(
    BrokenAndUnusualFiles, ReaderTest,
    ::testing::Values(
        ReaderCase{"EmptyFile", "", {}}, ReaderCase{"OnlyLineEnds", "\r\n\n\r\n", {}},
        ReaderCase{"SixFields", "a,b,c,d,e,f\r\n", {"a|b|c|d|e|f"}},
        ReaderCase{"EighteenFields",
                   "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18\r\n",
                   {"1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16"}},
        ReaderCase{"Quotes",
                   "\"a,b\",\"say \"\"hi\"\"\",\"\",x,\"ab\"cd ,\"  c  \"\r\n",
                   {"a,b|say \"hi\"|~|x|abcd|  c  "}},
        ReaderCase{"UnclosedQuoteEndsAtTheLine", "\"abc,def\r\nnext", {"abc,def", "next"}},
        ReaderCase{"CrLfLfAndCr", "a\r\nb\nc\rd\r\n", {"a", "b", "c", "d"}},
        ReaderCase{"NoFinalLineEnd", Line, {"2024/01/05 10:00:00|T7|91|005|21.5|1.25|2.5"}},
        ReaderCase{"ByteOrderMark",
                   "\xEF\xBB\xBF"
                   "a,caf\xC3\xA9\r\n",
                   {"a|caf\xC3\xA9"}},
        ReaderCase{"SingleByteText", "a,caf\xE9\r\n", {"a|caf\xC3\xA9"}},
        ReaderCase{"EmptyLinesInTheMiddle", "a\r\n\r\n  \t\r\nb\r\n", {"a", "b"}},
        ReaderCase{"EmptyFieldsAreNull", ",, x ,\t,\r\n", {"~|~|x"}},
        // Loggers end lines with NULs or pad the file with them.
        ReaderCase{"NulEndsALine", QByteArray("a\0b,c", 5), {"a", "b|c"}},
        ReaderCase{"NulAfterCrLf", QByteArray("a\r\n\0\0b\r\0c", 10), {"a", "b", "c"}},
        ReaderCase{"NulInAQuotedField", QByteArray("\"a\0b\",c", 7), {"a", "b\"|c"}},
        ReaderCase{"NulPadding",
                   Line + "\r\n" + QByteArray(4096, '\0'),
                   {"2024/01/05 10:00:00|T7|91|005|21.5|1.25|2.5"}}),
    [](const auto& param) { return std::string(param.param.name); });

// What the import refuses as no text at all, and what it still reads.
struct BinaryCase {
    const char* name;
    QByteArray bytes;
    bool binary;
};

class BinaryTest : public ::testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryTest, TellsBinaryFromText) {
    EXPECT_EQ(TextTable(GetParam().bytes, sixteenColumns()).binary(), GetParam().binary);
}

QByteArray twoByteCharacters(const QByteArray& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (char c : text)
        bytes.append(c).append('\0');
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BinaryTest,
    ::testing::Values(
        BinaryCase{"Empty", "", false}, BinaryCase{"LoggerLines", Line + "\r\n" + Line, false},
        BinaryCase{"LinesEndedByNul", Line + '\0' + Line + '\0', false},
        BinaryCase{"PaddedWithNuls", Line + "\r\n" + QByteArray(100000, '\0'), false},
        BinaryCase{"EndOfFileMarkAndFormFeed", Line + "\r\n\f\x1A", false},
        BinaryCase{"OnlyNuls", QByteArray(512, '\0'), true},
        BinaryCase{"TwoByteCharacters", twoByteCharacters(Line + "\r\n" + Line), true},
        BinaryCase{"ControlCharacters",
                   QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0\0\0\x01\0\x08\x06", 26) +
                       Line,
                   true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SchemaIni, IsExactlyTheTwentyLines) {
    EXPECT_EQ(schemaBytes().toStdString(),
              "[datafile.txt]\r\nFormat=CSVDelimited\r\nDecimalSymbol=.\r\n"
              "ColNameHeader = false\r\nCol1=TroveDate Text\r\nCol2=C1 Text\r\nCol3=C2 Text\r\n"
              "Col4=C3 Text\r\nCol5=C4 Text\r\nCol6=C5 Text\r\nCol7=C6 Text\r\nCol8=C7 Text\r\n"
              "Col9=C8 Text\r\nCol10=C9 Text\r\nCol11=C10 Text\r\nCol12=C11 Text\r\n"
              "Col13=C12 Text\r\nCol14=C13 Text\r\nCol15=C14 Text\r\nCol16=C15 Text\r\n");
    const ColumnDescription d = sixteenColumns();
    EXPECT_EQ(d.names.join(QLatin1Char(' ')).toStdString(),
              "TroveDate C1 C2 C3 C4 C5 C6 C7 C8 C9 C10 C11 C12 C13 C14 C15");
    EXPECT_EQ(d.delimiter, ',');
    EXPECT_FALSE(d.headerLine);
}

TEST(SchemaIni, DescribesOnlyTheFilesOwnSection) {
    const QByteArray ini = "[other.txt]\nCol1=Wrong Text\n"
                           "; a comment\n[DATAFILE.TXT]\r\nFormat=Delimited(;)\r\n"
                           "ColNameHeader=True\r\nCol3=\"Third one\" Text Width 10\r\nCol1=A\r\n"
                           "[next.txt]\nCol9=Z Text\n";
    const auto d = columnDescription(ini, QStringLiteral("datafile.txt"));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->names.join(QLatin1Char('|')).toStdString(), "A|F2|Third one");
    EXPECT_EQ(d->delimiter, ';');
    EXPECT_TRUE(d->headerLine);
    EXPECT_FALSE(columnDescription(ini, QStringLiteral("missing.txt")).has_value());
    EXPECT_FALSE(
        columnDescription("[datafile.txt]\nFormat=CSVDelimited\n", QStringLiteral("datafile.txt"))
            .has_value());

    const TextTable table("names;skipped\nx;y;z\n", *d);
    EXPECT_EQ(rowsOf(table), std::vector<std::string>{"x|y|z"});
}

class OpenTroveDataTest : public TolvaneTest {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = documents.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString working() const { return dataFile(texts::ImportWorkingFile); }
    bool schemaLeft() const { return QFile::exists(dataFile(texts::SchemaFileName)); }
};

TEST_F(OpenTroveDataTest, CopiesTheFileByteForByteAndReadsTheCopy) {
    const QByteArray bytes = "\xEF\xBB\xBF" + Line + "\r\n2024/01/05 11:00:00,T7\n\xE9";
    const QString path = writeFile(QStringLiteral("201391005.txt"), bytes);
    auto table = OpenTroveData(*state, QStringLiteral("201391005.txt"), path);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(fileBytes(working()), bytes);
    EXPECT_FALSE(schemaLeft());
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(table->fieldName(0), "TroveDate");
    EXPECT_EQ(table->text(1, 1), "T7");
    EXPECT_TRUE(table->isNull(1, 2));

    // A second import replaces the copy; the copy itself may be chosen too.
    const QString second = writeFile(QStringLiteral("second.txt"), "x\r\n");
    table = OpenTroveData(*state, QStringLiteral("second.txt"), second);
    EXPECT_EQ(table->RecordCount(), 1);
    table = OpenTroveData(*state, texts::ImportWorkingFile, working());
    EXPECT_EQ(rowsOf(*table), std::vector<std::string>{"x"});
    EXPECT_EQ(fileBytes(working()), "x\r\n");
}

TEST_F(OpenTroveDataTest, AMissingFileLeavesTheEarlierCopy) {
    writeFile(QStringLiteral("Vornhald/Tolvane/datafile.txt"), "earlier");
    auto table = OpenTroveData(*state, QStringLiteral("201391005.txt"),
                               documents.filePath(QStringLiteral("201391005.txt")));
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(fileBytes(working()), "earlier");
    EXPECT_FALSE(schemaLeft());
    // A folder is no file either.
    EXPECT_EQ(OpenTroveData(*state, QStringLiteral("x"), documents.path()), nullptr);
}

} // namespace

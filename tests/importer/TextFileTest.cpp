// A text file read in chunks: the same rows, encoding and verdict as the
// whole file read at once, however the chunks fall, and the first and last
// lines the review window shows.
#include "support/Support.h"

#include "importer/SchemaIni.h"
#include "importer/TextFile.h"
#include "importer/Texts.h"

#include <QDir>
#include <QFile>

#include <random>

using namespace testing_support;
using namespace importer;

namespace {

// Each row as its fields joined by "|", a null shown as "~".
void rowsOf(const TextTable& table, std::vector<std::string>& rows) {
    for (int r = 0; r < table.RecordCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < table.fieldCount(); ++c)
            fields << (table.isNull(r, c) ? QStringLiteral("~") : table.text(r, c));
        rows.push_back(fields.join(QLatin1Char('|')).toStdString());
    }
}

std::vector<std::string> rowsOf(const TextFile& file) {
    std::vector<std::string> rows;
    file.forEachChunk([&](const TextTable& chunk, int firstRow) {
        EXPECT_EQ(firstRow, int(rows.size()));
        rowsOf(chunk, rows);
    });
    EXPECT_EQ(file.RecordCount(), int(rows.size()));
    return rows;
}

// The working copy and its Schema.ini in a folder of their own.
class TextFileTest : public ::testing::Test {
protected:
    std::unique_ptr<TextFile> open(const QByteArray& bytes, const ReadLimits& limits,
                                   const QByteArray& schema = schemaBytes()) {
        for (const auto& [name, content] : {std::pair(texts::ImportWorkingFile, bytes),
                                            std::pair(texts::SchemaFileName, schema)}) {
            QFile f(QDir(folder.path()).filePath(name));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        return TextFile::open(folder.path(), texts::ImportWorkingFile, limits);
    }
    static ReadLimits chunks(qint64 bytes, int rows) {
        ReadLimits l;
        l.wholeFileBytes = -1; // an empty file too
        l.chunkBytes = bytes;
        l.chunkRows = rows;
        return l;
    }
    QTemporaryDir folder;
};

const QByteArray Line = "2024/01/05 10:00:00,T7,91,005,21.5,1.25,2.5";

struct ChunkCase {
    const char* name;
    QByteArray bytes;
};

class ChunkedAsWholeTest : public TextFileTest, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(ChunkedAsWholeTest, GivesTheRowsOfTheWholeFile) {
    const QByteArray& bytes = GetParam().bytes;
    const auto whole = open(bytes, {});
    ASSERT_FALSE(whole->streamed());
    const std::vector<std::string> expected = rowsOf(*whole);
    // Chunks of one byte cut after every line end, CR LF and NUL runs too.
    for (const auto& [chunkBytes, chunkRows] :
         {std::pair(1, 1000), std::pair(5, 1000), std::pair(64, 2), std::pair(4096, 1)}) {
        SCOPED_TRACE(std::to_string(chunkBytes) + " bytes, " + std::to_string(chunkRows) + " rows");
        const auto streamed = open(bytes, chunks(chunkBytes, chunkRows));
        ASSERT_TRUE(streamed->streamed());
        EXPECT_EQ(rowsOf(*streamed), expected);
        EXPECT_EQ(streamed->binary(), whole->binary());
    }
}

QByteArray manyLines(int n) {
    QByteArray bytes;
    for (int k = 0; k < n; ++k)
        bytes += QByteArray::number(k) + ",\"q" + QByteArray(k % 7, 'x') + "\"\r\n";
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ChunkedAsWholeTest,
    ::testing::Values(
        ChunkCase{"ManyLines", manyLines(200)},
        ChunkCase{"CrLfLfCrAndEmptyLines", "a\r\nb\nc\rd\r\n\r\n \t\r\ne"},
        ChunkCase{"QuotesAndAnUnclosedOne", "\"a,b\",\"say \"\"hi\"\"\"\r\n\"abc,def\r\nnext"},
        ChunkCase{"ByteOrderMarkAndUtf8", "\xEF\xBB\xBF"
                                          "a,caf\xC3\xA9\r\nb,\xC3\xA9t\xC3\xA9\r\n"},
        // The first chunks are ASCII; a later one decides the encoding.
        ChunkCase{"Utf8LateInTheFile", manyLines(50) + "z,caf\xC3\xA9\r\n"},
        ChunkCase{"SingleBytesLateInTheFile", manyLines(50) + "z,caf\xE9\r\n"},
        ChunkCase{"NulEndsAndPadding", Line + '\0' + Line + "\r\n" + QByteArray(300, '\0')},
        ChunkCase{"OnlyNuls", QByteArray(512, '\0')}, ChunkCase{"Empty", ""}),
    [](const auto& param) { return std::string(param.param.name); });

// Bytes drawn from what splits and decodes lines: wherever the chunks fall,
// the rows, their text and the verdict are the whole file's.
TEST_F(TextFileTest, AnyBytesGiveTheRowsOfTheWholeFile) {
    const QByteArray alphabet("ab1,,\"  \t\r\n\n\0\xC3\xA9\xE9", 17);
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int length = int(random() % 300);
        for (int i = 0; i < length; ++i)
            bytes += alphabet[qsizetype(random() % alphabet.size())];
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        const auto whole = open(bytes, {});
        const auto streamed = open(bytes, chunks(1 + random() % 40, 1 + int(random() % 5)));
        EXPECT_EQ(rowsOf(*streamed), rowsOf(*whole));
        EXPECT_EQ(streamed->binary(), whole->binary());
    }
}

TEST_F(TextFileTest, AHeaderLineStaysWithTheFirstChunk) {
    const QByteArray schema = "[datafile.txt]\r\nFormat=CSVDelimited\r\nColNameHeader=True\r\n"
                              "Col1=A Text\r\nCol2=B Text\r\n";
    const QByteArray bytes = "\r\n\r\nnames,here\r\n1,2\r\n3,4\r\n";
    const auto whole = open(bytes, {}, schema);
    const auto streamed = open(bytes, chunks(1, 1), schema);
    EXPECT_EQ(rowsOf(*streamed), rowsOf(*whole));
    EXPECT_EQ(streamed->RecordCount(), 2);
}

TEST_F(TextFileTest, ALineLongerThanTheLimitIsRefused) {
    ReadLimits limits = chunks(16, 4);
    limits.lineBytes = 100;
    EXPECT_NO_THROW(open(Line + "\r\n" + QByteArray(100, 'x') + "\r\n", limits));
    EXPECT_THROW(open(Line + "\r\n" + QByteArray(3 << 20, 'x') + "\r\n", limits), store::Error);
}

// Rows k of the file: "k,<k as letters>", so that each row tells its number.
QByteArray numbered(int n, int padding = 0) {
    QByteArray bytes;
    for (int k = 0; k < n; ++k)
        bytes += QByteArray::number(k) + ',' + QByteArray(padding, 'p') + "\r\n";
    return bytes;
}

std::string firstFields(const TextTable* table) {
    std::string s;
    for (int r = 0; r < table->RecordCount(); ++r)
        s += table->text(r, 0).toStdString() + ' ';
    return s;
}

TEST_F(TextFileTest, TheEndsAreTheFirstAndLastLinesWithinTheirLimits) {
    struct Case {
        int lines;
        int shownLines;
        qint64 shownBytes;
        std::string head, tail;
        int tailFirst;
    };
    // A line of numbered(n, 8) is 12 to 13 bytes long.
    for (const Case& c : {Case{20, 3, 1000, "0 1 2 ", "17 18 19 ", 17},
                          Case{5, 3, 1000, "0 1 2 ", "3 4 ", 3}, // they never overlap
                          Case{5, 10, 1000, "0 1 2 3 4 ", "", 5},
                          Case{20, 10, 30, "0 1 2 ", "18 19 ", 18}}) { // rows begun within 30 bytes
        SCOPED_TRACE(c.lines);
        ReadLimits limits = chunks(25, 2);
        limits.shownLines = c.shownLines;
        limits.shownBytes = c.shownBytes;
        const auto file = open("\r\n" + numbered(c.lines, 8), limits);
        const TextFile::Ends ends = file->ends();
        EXPECT_EQ(firstFields(ends.head.get()), c.head);
        EXPECT_EQ(firstFields(ends.tail.get()), c.tail);
        EXPECT_EQ(ends.tailFirst, c.tailFirst);
    }
}

TEST_F(TextFileTest, AFileChangedUnderneathIsNotReadAsIfItWereTheSame) {
    const auto file = open(numbered(10), chunks(8, 3));
    QFile f(QDir(folder.path()).filePath(texts::ImportWorkingFile));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.write("x\r\ny\r\nz\r\n\r\n\r\n");
    f.close();
    EXPECT_THROW(file->forEachChunk([](const TextTable&, int) {}), store::Error);
}

} // namespace

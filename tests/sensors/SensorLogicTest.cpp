// Sensor numbers and types, where the anchors sit, and the filter's text.
#include "sensors/RoofLocations.h"
#include "sensors/SensorFilter.h"
#include "sensors/SensorTypes.h"
#include "sensors/SensorKind.h"
#include "support/Support.h"

using namespace testing_support;
using namespace sensors;

namespace {

TEST(SensorNumbers, TypesFamiliesAndPartsOfANumber) {
    const SensorType* q6 = findSensorType(QStringLiteral("71"));
    ASSERT_NE(q6, nullptr);
    EXPECT_EQ(std::pair(q6->modelName, q6->nodes), std::pair(QStringLiteral("q6MPBX"), 6));
    EXPECT_EQ(findSensorType(QStringLiteral("91"))->nodes, 8);
    for (const char* code : {"22", "2", "11", "101", " 21", ""})
        EXPECT_EQ(findSensorType(QString::fromLatin1(code)), nullptr) << code;
    const SensorNumberParts parts = splitSensorNumber(QStringLiteral("202671001"));
    EXPECT_EQ(QStringList({parts.dateId, parts.typeCode, parts.serial}),
              QStringList({QStringLiteral("2026"), QStringLiteral("71"), QStringLiteral("001")}));
    EXPECT_EQ(familyOf(QStringLiteral("q2MPBX"), false), QStringLiteral("q2ROVA"));
    EXPECT_EQ(familyOf(QStringLiteral("q2MPBX"), true), QStringLiteral("q2MPBX"));
}

struct NewNumber {
    const char *number, *refusal;
};
void PrintTo(const NewNumber& n, std::ostream* os) {
    *os << '"' << n.number << '"';
}
class NewNumbers : public ::testing::TestWithParam<NewNumber> {};

TEST_P(NewNumbers, AreRefusedByTheFirstCheckTheyFail) {
    EXPECT_EQ(refusalOfNewNumber(QString::fromLatin1(GetParam().number)),
              QString::fromLatin1(GetParam().refusal));
}

const char* const Numeric = "Sensor # must be a numeric value";
const char* const NineDigits = "Sensor # must be 9 digits";
INSTANTIATE_TEST_SUITE_P(
    Numbers, NewNumbers,
    ::testing::Values(NewNumber{"2026210a", Numeric}, NewNumber{"-20262100", Numeric},
                      NewNumber{"2026.1001", Numeric}, NewNumber{"20262e001", Numeric},
                      NewNumber{" 202621001", Numeric}, NewNumber{"20262100", NineDigits},
                      NewNumber{"2026210001", NineDigits},
                      NewNumber{"202621000", "Last 3 digits must be between 001 and 999"},
                      NewNumber{"202621001", ""}, NewNumber{"202621999", ""}));

TEST(SensorKindTest, AnUnknownCodeKeepsTheTypeSetUpLast) {
    SensorKind kind;
    EXPECT_TRUE(setSensorKind(kind, QStringLiteral("51")));
    EXPECT_FALSE(setSensorKind(kind, QStringLiteral("22")));
    EXPECT_EQ(kind.modelName, QStringLiteral("q4MPBX"));
    EXPECT_EQ(std::pair(kind.numNodes, kind.numAnchors), std::pair(4, 4));
    EXPECT_EQ(kind.modelCode, QStringLiteral("EX"));
    EXPECT_TRUE(kind.hasTemperature);
}

// Head at the collar, recess, length, nodes, nodes in use, "head|anchor 1|...|anchor 8".
struct Roof {
    bool collar;
    const char *recess, *length, *nodes;
    int numNodes;
    const char* expected;
};
void PrintTo(const Roof& r, std::ostream* os) {
    *os << (r.collar ? "collar " : "toe ") << r.recess << '/' << r.length << '/' << r.nodes;
}
class RoofLocationsOf : public ::testing::TestWithParam<Roof> {};

TEST_P(RoofLocationsOf, LeaveOnlyWhatCannotBeWorkedOutEmpty) {
    const auto& [collar, recess, length, nodes, numNodes, expected] = GetParam();
    RoofInput in{QString::fromLatin1(recess), QString::fromLatin1(length), {}, collar, numNodes};
    const QStringList typed = QString::fromLatin1(nodes).split(QLatin1Char(','));
    std::copy(typed.begin(), typed.end(), in.nodes.begin());
    const RoofLocations out = CalcReltoRoof(in);
    EXPECT_EQ(QStringList(out.head) + QStringList(out.anchors.begin(), out.anchors.end()),
              QString::fromLatin1(expected).split(QLatin1Char('|')));
}

INSTANTIATE_TEST_SUITE_P(
    Installations, RoofLocationsOf,
    ::testing::Values(Roof{true, "0.3", "12", "2,5,10,20", 3, "0.30|2.30|5.30|10.30|||||"},
                      Roof{false, "0.3", "12", "2,5,10,20", 3, "12.30|10.30|7.30|2.30|||||"},
                      Roof{false, "0", "12.5", "12.5,3", 1, "12.50|0.00|||||||"},
                      Roof{true, "0.3", "12", "2,3", 1, "0.30|2.30|||||||"},
                      Roof{true, "", "12", "2,5", 2, "|2.00|5.00||||||"},
                      Roof{true, "abc", "12", "2,5", 2, "|2.00|5.00||||||"},
                      Roof{false, "0.3", "", "2,5", 2, "|-2.00|-5.00||||||"},
                      Roof{false, "", "12", "2,5", 2, "12.00|10.00|7.00||||||"},
                      Roof{true, "0.3", "12", "2,,10", 3, "0.30|2.30||10.30|||||"},
                      Roof{false, "0.3", "12", "2,x,10", 3, "12.30|10.30||2.30|||||"}));

TEST(InstallationDiagram, AnchorRowsRunAwayFromTheHead) {
    const DiagramPlacement collar = diagramPlacement(true), toe = diagramPlacement(false);
    EXPECT_EQ(std::pair(collar.headTop, collar.anchorLeft), std::pair(8800, 9000));
    EXPECT_EQ(collar.anchorTops,
              (std::array<int, 8>{7900, 7265, 6630, 5995, 5360, 4725, 4090, 3455}));
    EXPECT_EQ(std::pair(toe.headTop, toe.anchorLeft), std::pair(3190, 8800));
    EXPECT_EQ(toe.anchorTops, (std::array<int, 8>{4170, 4805, 5440, 6075, 6710, 7345, 7980, 8615}));
}

// ---- the filter

const QDate Today(2026, 12, 7);

FilterChoice choice(const char* type, const char* level = "", const char* location = "",
                    const char* start = "", const char* end = "", bool hideDestroyed = false) {
    return {QString::fromLatin1(type),  QString::fromLatin1(level), QString::fromLatin1(location),
            QString::fromLatin1(start), QString::fromLatin1(end),   hideDestroyed};
}

TEST(FilterText, JoinsTheCriteriaInOneOrderWithDatesYearFirst) {
    EXPECT_EQ(
        buildFilter(
            choice("71: q6 MPBX or ROVA", " L1 ", "Drive 4", "2024-1-1", "2024.12.31", true), Today)
            .filter,
        QStringLiteral("Destroyed = 'No' AND SensorType ='71' AND Level ='L1' AND Location "
                       "='Drive 4' AND InstallDate >= 2024/01/01 AND InstallDate <= 2024/12/31"));
    const std::pair<FilterChoice, const char*> alone[] = {
        {choice("91"), "SensorType ='91'"},
        {choice(" 21 "), "SensorType ='21'"},
        {choice("", "O'Brien Drift"), "Level ='O''Brien Drift'"},
        {choice("", "", "", "2024/6/1"), "InstallDate >= 2024/06/01 AND InstallDate <= 2026/12/07"},
        {choice("", "", "", "", "2024/12/31"),
         "InstallDate >= 1999/01/01 AND InstallDate <= 2024/12/31"},
        {choice("", "", "", "", "", true), "Destroyed = 'No'"}};
    for (const auto& [c, filter] : alone)
        EXPECT_EQ(buildFilter(c, Today).filter, QString::fromLatin1(filter)) << filter;
}

struct Refusal {
    FilterChoice choice;
    const char* text;
    FilterOutcome::Focus focus = FilterOutcome::Focus::None;
};
void PrintTo(const Refusal& r, std::ostream* os) {
    const FilterChoice& c = r.choice;
    *os << QStringList{c.type, c.level, c.startDate, c.endDate}
               .join(QLatin1Char('|'))
               .toStdString();
}

const char* const NoCriteria = "You must enter criteria to filter sensors on";

class RefusedChoice : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedChoice, WritesNoFilter) {
    const FilterOutcome out = buildFilter(GetParam().choice, Today);
    EXPECT_EQ(out.filter, QString());
    EXPECT_EQ(out.refusal.text, QString::fromLatin1(GetParam().text));
    const bool none = out.refusal.text == QLatin1String(NoCriteria);
    EXPECT_EQ(out.refusal.title,
              none ? QStringLiteral("Vornhald's Tolvane") : QStringLiteral("Tolvane"));
    EXPECT_EQ(out.refusal.icon, none ? app::Icon::Information : app::Icon::None);
    EXPECT_EQ(out.focus, GetParam().focus);
}

const char* const TypeRefusal = "Sensor Type is not recognized\r\n\r\nPlease choose a sensor from "
                                "the list, or enter the 2 digit sensor #";
const char* const BadStart =
    "Start date is not a valid date\r\nPlease enter a date in the format yyyy/mm/dd";
const char* const BadEnd =
    "End date is not a valid date\r\nPlease enter a date in the format yyyy/mm/dd";
using Focus = FilterOutcome::Focus;
INSTANTIATE_TEST_SUITE_P(
    Choices, RefusedChoice,
    ::testing::Values(Refusal{choice("9"), TypeRefusal}, Refusal{choice("22", "L1"), TypeRefusal},
                      Refusal{choice(""), NoCriteria}, Refusal{choice(" ", "  ", " "), NoCriteria},
                      Refusal{choice("", "", "", "2024/13/01"), BadStart, Focus::StartDate},
                      Refusal{choice("", "", "", "abc", "abc"), BadStart, Focus::StartDate},
                      Refusal{choice("", "", "", "2024/1/1", "2024/2/30"), BadEnd,
                              Focus::EndDate}));

TEST(FilterText, TypeIsAListItemOrACodeTypedAlone) {
    bool ok = false;
    EXPECT_EQ(filterTypeCode(QStringLiteral("71: q6 MPBX or ROVA"), &ok), QStringLiteral("71"));
    EXPECT_EQ(ok, true);
    EXPECT_EQ(filterTypeCode(QString(), &ok), QString());
    EXPECT_EQ(ok, true);
    EXPECT_EQ(filterTypeCode(QStringLiteral("71: q5 MPBX or ROVA"), &ok), QString());
    EXPECT_EQ(ok, false);
}

TEST(FilterText, DateBoxesRefuseOnlyTextThatIsNoDate) {
    EXPECT_EQ(dateBoxRefusal(QString(), true), QString());
    EXPECT_EQ(dateBoxRefusal(QStringLiteral("2024-1-5"), false), QString());
    EXPECT_EQ(dateBoxRefusal(QStringLiteral("abc"), true),
              QStringLiteral(
                  "Start Date is not a valid date\r\nPlease type a date in the format yyyy/mm/dd"));
    EXPECT_EQ(dateBoxRefusal(QStringLiteral("2024/13/1"), false),
              QStringLiteral(
                  "End Date is not a valid date\r\nPlease type a date in the format yyyy/mm/dd"));
}

} // namespace

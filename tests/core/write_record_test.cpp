#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/command_progress.h"
#include "tests/support/written.h"

namespace dravosk {
namespace {

using DataSets = std::vector<std::int32_t>;

// A PutVector that fails is uncertain unless the binding knows for sure that the host did not run
// it, or the host, asked afterwards, says what the vector is; the report must never name less
// than may have been written. (Which failures the binding counts as not run: tests/host.)
TEST(WriteRecord, AFailedPutVectorIsUncertainUnlessItCertainlyDidNotRun) {
    const auto afterFailure = [](CallOutcome outcome) {
        WriteRecord record;
        record.startFeature(u"B1");
        record.putStarted(2);
        record.putSucceeded();
        record.putStarted(3);
        record.putFailed(outcome);
        return record;
    };
    for (const CallOutcome outcome : {CallOutcome::unknown, CallOutcome::givenUp}) {
        const WriteRecord record = afterFailure(outcome);
        EXPECT_EQ(record.features().at(0).uncertain, DataSets{3});
        EXPECT_EQ(record.features().at(0).reversed, DataSets{2});
        EXPECT_FALSE(record.inFlight());
    }
    const WriteRecord record = afterFailure(CallOutcome::notRun);
    EXPECT_TRUE(record.features().at(0).uncertain.empty());
    EXPECT_FALSE(test::anyUncertain(record));
    EXPECT_FALSE(record.inFlight());
}

// A PutVector that was sent and never answered (the operator gave up, or something other than
// the tool's error came out of it) is still out, and so uncertain.
TEST(WriteRecord, APutVectorSentAndNotAnsweredStaysInFlightAndUncertain) {
    WriteRecord record;
    EXPECT_FALSE(record.inFlight());
    record.startFeature(u"A");
    record.putStarted(2);
    record.putSucceeded();
    record.startFeature(u"B");
    record.putStarted(27);
    EXPECT_EQ(record.inFlight(), std::optional<std::int32_t>{27});
    EXPECT_TRUE(test::anyUncertain(record));
    EXPECT_TRUE(record.features().back().uncertain.empty());

    const WriteRecord copy = record;  // as an error keeps it
    EXPECT_EQ(copy.inFlight(), std::optional<std::int32_t>{27});
    // Given up on, it is named as uncertain for the last feature.
    EXPECT_EQ(copy.features().back().id, u"B");

    // More calls than the feature has room for: the one beyond is not dropped but stays out.
    WriteRecord many;
    many.startFeature(u"C");
    for (std::int32_t dataSet = 1; dataSet <= 4; ++dataSet) {
        many.putStarted(dataSet);
        many.putSucceeded();
    }
    EXPECT_EQ(many.features().back().reversed, (DataSets{1, 2, 3}));
    EXPECT_EQ(many.inFlight(), std::optional<std::int32_t>{4});
}

// A collection that starts over with new objects each lap may have had one feature reversed under
// several entries: a data set is named reversed only if exactly one entry of its identifier
// reversed it and none is uncertain about it.
TEST(WriteRecord, EntriesOfARepeatingCollectionNeverNameAnEvenNumberOfReversalsAsReversed) {
    WriteRecord record;
    const auto feature = [&](std::u16string id, DataSets reversed, DataSets uncertain) {
        record.startFeature(std::move(id));
        for (const std::int32_t dataSet : reversed) {
            record.putStarted(dataSet);
            record.putSucceeded();
        }
        for (const std::int32_t dataSet : uncertain) {
            record.putStarted(dataSet);
            record.putFailed(WriteRecord::ReadBack::otherwise);
        }
    };
    feature(u"A", {2, 3}, {});
    feature(u"B", {2}, {});
    feature(u"C", {}, {});
    feature(u"A", {2}, {3});
    feature(u"A", {27}, {});
    feature(u"B", {}, {});
    record.putStarted(3);  // B's, out when the walk stopped
    record.collectionRepeated();

    const auto& features = record.features();
    ASSERT_EQ(features.size(), 3u);
    EXPECT_EQ(features[0].id, u"A");
    EXPECT_EQ(features[0].reversed, DataSets{27});
    EXPECT_EQ(features[0].uncertain, (DataSets{2, 3}));
    EXPECT_EQ(features[1].id, u"B");
    EXPECT_EQ(features[1].reversed, DataSets{2});
    EXPECT_EQ(features[1].uncertain, DataSets{3});
    EXPECT_EQ(features[2].id, u"C");
    EXPECT_TRUE(features[2].reversed.empty() && features[2].uncertain.empty());
    EXPECT_FALSE(record.inFlight());
}

}  // namespace
}  // namespace dravosk

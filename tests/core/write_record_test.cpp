#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/write_record.h"
#include "tests/support/written.h"

namespace dravosk {
namespace {

using DataSets = std::vector<std::int32_t>;

// A PutVector that fails is uncertain unless its number says for sure that the host did not run
// it, or the host, asked afterwards, says what the vector is; the report must never name less
// than may have been written. An exception the host answers with may come after it wrote.
TEST(WriteRecord, AFailedPutVectorIsUncertainUnlessItCertainlyDidNotRun) {
    const std::uint32_t uncertain[] = {
        0x80010105u,  // RPC_E_SERVERFAULT
        0x80010007u,  // RPC_E_SERVER_DIED
        0x80010006u,  // RPC_E_CONNECTION_TERMINATED
        0x8001011Fu,  // RPC_E_TIMEOUT
        0x80010002u,  // RPC_E_CALL_CANCELED
        0x800706BEu,  // the remote procedure call failed
        0x8007000Eu,  // E_OUTOFMEMORY
        0x80004005u,  // E_FAIL, also as an exception's scode
        0xA0040001u,  // a number of the tool's own
        0x80020009u,  // DISP_E_EXCEPTION
        0x800A03ECu,  // an exception with the host's own code 1004
    };
    const std::uint32_t notRun[] = {
        0x80010001u,  // RPC_E_CALL_REJECTED
        0x8001010Au,  // RPC_E_SERVERCALL_RETRYLATER
        0x80010012u,  // RPC_E_SERVER_DIED_DNE
        0x800401FDu,  // CO_E_OBJNOTCONNECTED
        0x8001010Du,  // RPC_E_CANTCALLOUT_ININPUTSYNCCALL
        0x80020003u,  // DISP_E_MEMBERNOTFOUND
        0x8002000Eu,  // DISP_E_BADPARAMCOUNT
    };
    const auto afterFailure = [](std::uint32_t number) {
        WriteRecord record;
        record.startFeature(u"B1");
        record.putStarted(2);
        record.putSucceeded();
        record.putStarted(3);
        record.putFailed(static_cast<std::int32_t>(number));
        return record;
    };
    for (const std::uint32_t number : uncertain) {
        SCOPED_TRACE(number);
        const WriteRecord record = afterFailure(number);
        EXPECT_EQ(record.features().at(0).uncertain, DataSets{3});
        EXPECT_EQ(record.features().at(0).reversed, DataSets{2});
        EXPECT_FALSE(record.inFlight());
    }
    for (const std::uint32_t number : notRun) {
        SCOPED_TRACE(number);
        const WriteRecord record = afterFailure(number);
        EXPECT_TRUE(record.features().at(0).uncertain.empty());
        EXPECT_FALSE(test::anyUncertain(record));
        EXPECT_FALSE(record.inFlight());
        EXPECT_FALSE(WriteRecord::readBackTells(static_cast<std::int32_t>(number)));
    }
    // Asking the host settles all the others, but a call given up on: it may still be carried
    // out after the question.
    for (const std::uint32_t number : uncertain) {
        EXPECT_EQ(WriteRecord::readBackTells(static_cast<std::int32_t>(number)),
                  number != 0x80010002u && number != 0x8001011Fu)
            << number;
    }
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
    const WriteRecord given = test::abandoned(record);
    EXPECT_FALSE(given.inFlight());
    EXPECT_EQ(given.features().back().uncertain, DataSets{27});

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

#include <quen/Logging.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "fakes/TestMachine.h"
#include "foundation/Report.h"

namespace {

class Logger : public ::testing::Test {
protected:
    void SetUp() override { CLoggingFactory::AddSink(m_sink); }
    void TearDown() override { CLoggingFactory::RemoveSink(m_sink); }
    std::shared_ptr<CMemoryLogSink> m_sink = std::make_shared<CMemoryLogSink>();
};

TEST_F(Logger, PiecesPrintInOrderWithTheirOwnFormats)
{
    ILogger& log = CLoggingFactory::GetInstance();
    CLogEntry entry = log.Begin(eLogInfo);
    entry << L"     Modules: " << 3 << L" " << -2 << L" " << 4000000000u << L" " << true << L" " << false << L" "
          << 19.6 << L" " << 10.0 + 1.0 / 6.0 << L" " << "utf8-\xc3\xa4" << std::wstring(L" end\n") << L"";
    log.End(entry);

    const auto records = m_sink->Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, eLogInfo);
    EXPECT_EQ(records[0].text, L"     Modules: 3 -2 4000000000 true false 19.6 10.1667 utf8-\u00e4 end\n");
}

TEST_F(Logger, AnExceptionPieceContributesItsFullText)
{
    const ELibraryException e(L"Boom", L".\\Installer", 12);
    quen::Log(eLogError) << L"Exception: " << e;
    const auto records = m_sink->Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, eLogError);
    EXPECT_EQ(records[0].text, L"Exception: Boom\nErrorMessage: Boom\nSource: .\\Installer\nLine: 12");
}

TEST_F(Logger, ReportsOfTheLayersBelowBecomeLinesOfTheirLevel)
{
    const std::pair<quen::ReportLevel, int> cases[] = {
        {quen::ReportLevel::Error, eLogError},
        {quen::ReportLevel::Warning, eLogWarning},
        {quen::ReportLevel::Info, eLogInfo},
    };
    for (const auto& [level, logLevel] : cases)
        quen::Report(level, L"Registry file x was not compacted");
    const auto records = m_sink->Records();
    ASSERT_EQ(records.size(), std::size(cases));
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].level, cases[i].second);
        EXPECT_EQ(records[i].text, L"Registry file x was not compacted");
    }
}

TEST_F(Logger, RecordFormatHasTimestampThreadLevelAndText)
{
    quen::Log(eLogWarning) << L"careful";
    const auto line = m_sink->Records().at(0).Format();
    // "YYYY-MM-DD hh:mm:ss.mmm [tid] Warning careful"
    ASSERT_GT(line.size(), 24u);
    EXPECT_EQ(line[4], L'-');
    EXPECT_EQ(line[19], L'.');
    EXPECT_NE(line.find(L"] Warning careful"), std::wstring::npos);
    EXPECT_STREQ(LogLevelName(eLogDebug), L"Debug");
}

TEST_F(Logger, LinesOfConcurrentThreadsReachASinkOnceAndNeverInterleave)
{
    CLoggingFactory::AddSink(m_sink);  // added twice, it still gets each line once
    constexpr int kThreads = 4, kLines = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                quen::Log(eLogDebug) << L"thread " << t << L" line " << i << L" done";
        });
    }
    for (auto& thread : threads)
        thread.join();
    const auto texts = m_sink->Texts();
    ASSERT_EQ(texts.size(), static_cast<size_t>(kThreads * kLines));
    std::vector<int> next(kThreads, 0);
    for (const auto& text : texts) {
        int t = -1, i = -1;
        ASSERT_EQ(swscanf(text.c_str(), L"thread %d line %d done", &t, &i), 2) << text;
        EXPECT_EQ(i, next[static_cast<size_t>(t)]++);  // each thread's lines stay whole and in order
    }
}

TEST_F(Logger, FileSinkAppendsUtf8LinesAndStderrSinkFiltersByLevel)
{
    const quen::test::TempHostDir dir;
    const auto file = dir.Path() / "run.log";
    auto sink = std::make_shared<CFileLogSink>(file);
    CLoggingFactory::AddSink(sink);
    quen::Log(eLogInfo) << L"first \u00e4";
    quen::Log(eLogInfo) << L"multi\nline\n";
    CLoggingFactory::RemoveSink(sink);

    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    EXPECT_NE(text.find("Info    first \xc3\xa4\n"), std::string::npos);
    EXPECT_NE(text.find("multi\nline\n"), std::string::npos);
    EXPECT_EQ(text.find("line\n\n"), std::string::npos);  // a text's own line end is not doubled

    EXPECT_THROW(CFileLogSink(dir.Path() / "no/such/folder/x.log"), EFileException);

    // Up to and including the level it was given.
    testing::internal::CaptureStderr();
    CStderrLogSink errors(eLogWarning);
    const std::pair<int, const wchar_t*> records[] = {{eLogInfo, L"quiet"}, {eLogWarning, L"heard"}, {eLogError, L"loud"}};
    for (const auto& [level, text] : records) {
        LogRecord record;
        record.level = level;
        record.text = text;
        errors.Write(record);
    }
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed.find("quiet"), std::string::npos);
    EXPECT_NE(printed.find("Warning heard"), std::string::npos);
    EXPECT_NE(printed.find("Error   loud"), std::string::npos);
}

}  // namespace

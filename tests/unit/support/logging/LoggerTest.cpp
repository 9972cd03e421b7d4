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

TEST_F(Logger, PiecesPrintInOrderWithTheirOwnFormatsAndReportsOfTheLayersBelowKeepTheirLevel)
{
    quen::Log(eLogInfo) << L"     Modules: " << 3 << L" " << -2 << L" " << 4000000000u << L" " << true << L" " << false
                        << L" " << 19.6 << L" " << 10.0 + 1.0 / 6.0 << L" " << "utf8-\xc3\xa4" << std::wstring(L" end");
    quen::Log(eLogError) << L"Exception: " << ELibraryException(L"Boom", L".\\Installer", 12);
    for (const auto level : {quen::ReportLevel::Error, quen::ReportLevel::Warning, quen::ReportLevel::Info})
        quen::Report(level, L"w");

    const auto records = m_sink->Records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].text, L"     Modules: 3 -2 4000000000 true false 19.6 10.1667 utf8-\u00e4 end");
    EXPECT_EQ(records[1].text, L"Exception: Boom\nErrorMessage: Boom\nSource: .\\Installer\nLine: 12");
    EXPECT_EQ(std::vector<int>({records[2].level, records[3].level, records[4].level}),
              std::vector<int>({eLogError, eLogWarning, eLogInfo}));
    EXPECT_EQ(records[3].text, L"w");
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

TEST_F(Logger, FileSinkAppendsStampedUtf8LinesAndStderrSinkShowsItsLevelAndTheMoreSevere)
{
    const quen::test::TempHostDir dir;
    const auto file = dir.Path() / "run.log";
    auto sink = std::make_shared<CFileLogSink>(file);
    CLoggingFactory::AddSink(sink);
    quen::Log(eLogWarning) << L"first \u00e4";
    quen::Log(eLogInfo) << L"multi\nline\n";
    CLoggingFactory::RemoveSink(sink);
    EXPECT_THROW(CFileLogSink(dir.Path() / "no/such/folder/x.log"), EFileException);

    std::stringstream content;
    content << std::ifstream(file, std::ios::binary).rdbuf();
    const std::string text = content.str();
    // "YYYY-MM-DD hh:mm:ss.mmm [tid] Warning first ä", and a text's own line end is not doubled.
    EXPECT_EQ(text.substr(4, 1) + text.substr(19, 1), "-.");
    EXPECT_NE(text.find("] Warning first \xc3\xa4\n"), std::string::npos);
    EXPECT_NE(text.find("] Info    multi\nline\n"), std::string::npos);
    EXPECT_EQ(text.find("line\n\n"), std::string::npos);

    testing::internal::CaptureStderr();
    auto errors = std::make_shared<CStderrLogSink>(eLogWarning);
    CLoggingFactory::AddSink(errors);
    for (const int level : {eLogInfo, eLogWarning, eLogError})
        quen::Log(level) << L"level " << level;
    CLoggingFactory::RemoveSink(errors);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed.find("level " + std::to_string(eLogInfo)), std::string::npos);
    EXPECT_NE(printed.find("Warning level " + std::to_string(eLogWarning)), std::string::npos);
    EXPECT_NE(printed.find("Error   level " + std::to_string(eLogError)), std::string::npos);
}

}  // namespace

/** @file
 * Test fixture that records everything the installer tells the user: message
 * boxes (through the message-box seam), standard output and standard error
 * (through the console seam and the runtime's program-message output), with
 * silent mode and the verbosity reset around every test.
 */
#ifndef TARN_TEST_STUB_CAPTURE_H
#define TARN_TEST_STUB_CAPTURE_H

#include <gtest/gtest.h>
#include <string>
#include <vector>

/** One message box as the installer asked for it. */
struct CapturedBox
{
    bool fWide;          /**< MessageBoxW (true) or the 8-bit MessageBoxA */
    std::string strText; /**< UTF-8 (wide boxes) or the bytes as given (8-bit boxes) */
    std::string strCaption;
    uint32_t fStyle;
};

class StubCaptureTest : public ::testing::Test
{
    friend struct StubCaptureAccess;

  protected:
    void SetUp() override;
    void TearDown() override;

    /** The boxes shown so far, one line each: "W|0x10|caption|text" or "A|...". */
    std::string boxes() const;

    std::string m_strStdOut;
    std::string m_strStdErr;
    std::vector<CapturedBox> m_aBoxes;
};

#endif

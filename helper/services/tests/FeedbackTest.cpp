// The feedback report: the form's validation, the XML and its system information, the
// encoded payload decoded back, the report's file name, and the upload through the stand-in
// "Network.dll" with its outcome texts.
#include <gtest/gtest.h>

#include <cwctype>
#include <vector>

#include "FeedbackEncoding.h"
#include "FeedbackReport.h"
#include "GlobalUpdate.h"
#include "FeedbackTestSupport.h"
#include "ServicesTestSupport.h"
#include "WebServiceHelper.h"
#include "IniReader.h"
#include "MD5Checksum.h"
#include "TestSupport.h"
#include "XmlDoc.h"

namespace {

FeedbackForm ValidForm() {
    FeedbackForm form;
    form.email = L"me@example.com";
    form.typeIndex = 4;
    form.text = L"  Fast & <clean>  ";
    form.publish = true;
    form.toolIds = {0, 7, 24};
    return form;
}

// The tag names of the children of the element at `index`, in order.
std::vector<CString> ChildNames(const CXmlDoc& doc, int index) {
    std::vector<CString> names;
    for (int child = doc.GetPosition(index).firstChild; child; child = doc.GetPosition(child).next)
        names.push_back(doc.GetTagName(child));
    return names;
}

int ChildNamed(const CXmlDoc& doc, int index, LPCWSTR name) {
    for (int child = doc.GetPosition(index).firstChild; child; child = doc.GetPosition(child).next)
        if (doc.GetTagName(child) == name)
            return child;
    return 0;
}

// The text between an element's start and end tags.
CString Content(const CXmlDoc& doc, int index) {
    const CXmlDoc::ElemPos& at = doc.GetPosition(index);
    return doc.GetDocument().Mid(at.startTagRight + 1, at.endTagLeft - at.startTagRight - 1);
}

CString AnsiMd5(const CString& text) {
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), ansi.data(), bytes, nullptr, nullptr);
    return CMD5Checksum::GetMD5OfBuffer(reinterpret_cast<const BYTE*>(ansi.data()),
                                        static_cast<ULONG>(ansi.size()))
        .MakeUpper();
}

bool HasFileNameShape(const CString& name) {
    // "Xarn-Feedback 20240131T09_1542PM 1234.xml"
    const CString prefix = GetProductShortName() + L"-Feedback ";
    if (name.Left(prefix.GetLength()) != prefix || name.Right(4) != L".xml")
        return false;
    const CString stamp = name.Mid(prefix.GetLength(), 18);
    for (int at : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13, 14, 15})
        if (!iswdigit(stamp[at]))
            return false;
    if (stamp[8] != L'T' || stamp[11] != L'_' ||
        (stamp.Right(2) != L"AM" && stamp.Right(2) != L"PM"))
        return false;
    const CString random = name.Mid(prefix.GetLength() + 19);
    return name[prefix.GetLength() + 18] == L' ' && random.GetLength() > 4 && iswdigit(random[0]);
}

TEST(FeedbackForm, AnAddressNeedsTextOnBothSidesOfTheAtSign) {
    CString xml = L"old";
    for (LPCWSTR refused : {L"", L"plain", L"@example.com", L"me@", L"@"}) {
        FeedbackForm form = ValidForm();
        form.email = refused;
        EXPECT_EQ(kFeedbackBadEmail, BuildFeedbackXml(form, xml, 0)) << Narrow(refused);
        EXPECT_TRUE(xml.IsEmpty());
    }
    FeedbackForm form = ValidForm();
    form.email = L"a@b";
    EXPECT_EQ(kFeedbackBuilt, BuildFeedbackXml(form, xml, 0));
    form.email = L"a@b@"; // the first at sign decides
    EXPECT_EQ(kFeedbackBuilt, BuildFeedbackXml(form, xml, 0));
}

TEST(FeedbackForm, ATypeMustBeChosenAndTheTextMayNotBeBlank) {
    CString xml;
    FeedbackForm form = ValidForm();
    for (int index : {0, -1, kFeedbackTypeCount}) {
        form.typeIndex = index;
        EXPECT_EQ(kFeedbackNoType, BuildFeedbackXml(form, xml, 0)) << index;
    }
    form.typeIndex = 1;
    form.text = L" \t\r\n ";
    EXPECT_EQ(kFeedbackEmptyText, BuildFeedbackXml(form, xml, 0));
    form.email = L"bad";
    EXPECT_EQ(kFeedbackBadEmail, BuildFeedbackXml(form, xml, 0)); // the address comes first
    EXPECT_EQ(CString(L"Select Feedback Type"), GetFeedbackTypeText(0));
    EXPECT_EQ(CString(L"General Feedback"), GetFeedbackTypeText(4));
    EXPECT_TRUE(GetFeedbackTypeText(5).IsEmpty());
}

TEST(FeedbackReport, ElementsComeInTheirOrderWithTheFormsValues) {
    CString xml;
    ASSERT_EQ(kFeedbackBuilt, BuildFeedbackXml(ValidForm(), xml, 1u << 2)); // drive C:
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(xml)) << Narrow(doc.GetError());
    const int root = doc.GetPosition(0).firstChild;
    EXPECT_EQ(CString(L"sf_feedback"), doc.GetTagName(root));
    EXPECT_EQ((std::vector<CString>{L"feedback", L"SetPublishState", L"favorite_tools", L"sys_info",
                                    L"key", L"pelq_info"}),
              ChildNames(doc, root));

    const int feedback = ChildNamed(doc, root, L"feedback");
    EXPECT_EQ((std::vector<CString>{L"email", L"feedback_type", L"content"}),
              ChildNames(doc, feedback));
    EXPECT_EQ(CString(L"me@example.com"), Content(doc, ChildNamed(doc, feedback, L"email")));
    EXPECT_EQ(CString(L"General Feedback"),
              Content(doc, ChildNamed(doc, feedback, L"feedback_type")));
    // Trimmed and escaped.
    EXPECT_EQ(CString(L"Fast &amp; &lt;clean&gt;"),
              Content(doc, ChildNamed(doc, feedback, L"content")));
    EXPECT_EQ(CString(L"1"),
              Content(doc, ChildNamed(doc, ChildNamed(doc, root, L"SetPublishState"), L"allowed")));
    const int tools = ChildNamed(doc, root, L"favorite_tools");
    std::vector<CString> ids;
    for (int child = doc.GetPosition(tools).firstChild; child; child = doc.GetPosition(child).next)
        ids.push_back(Content(doc, child));
    EXPECT_EQ((std::vector<CString>{L"0", L"7", L"24"}), ids);

    CGlobalUpdate update;
    CString machineId;
    update.GetMachineId(machineId);
    EXPECT_EQ(machineId, Content(doc, ChildNamed(doc, ChildNamed(doc, root, L"key"), L"mac_id")));
    EXPECT_EQ(GetHelperLibraryVersion(),
              Content(doc, ChildNamed(doc, ChildNamed(doc, root, L"pelq_info"), L"pelq_ver")));

    const int drive = ChildNamed(doc, ChildNamed(doc, root, L"sys_info"), L"drive_info");
    ASSERT_NE(0, drive);
    EXPECT_EQ((std::vector<CString>{L"drive_name", L"total_size_in_bytes", L"free_space_in_bytes",
                                    L"used_space_in_bytes"}),
              ChildNames(doc, drive));
    EXPECT_EQ(CString(L"C:\\"), Content(doc, ChildNamed(doc, drive, L"drive_name")));
    const unsigned long long total =
        _wcstoui64(Content(doc, ChildNamed(doc, drive, L"total_size_in_bytes")), nullptr, 10);
    const unsigned long long freeBytes =
        _wcstoui64(Content(doc, ChildNamed(doc, drive, L"free_space_in_bytes")), nullptr, 10);
    const unsigned long long used =
        _wcstoui64(Content(doc, ChildNamed(doc, drive, L"used_space_in_bytes")), nullptr, 10);
    EXPECT_GT(total, 0u);
    EXPECT_EQ(total - freeBytes, used);
}

TEST(FeedbackReport, WithoutReadableDrivesTheSystemPartKeepsTheRest) {
    CString xml;
    FeedbackForm form = ValidForm();
    form.publish = false;
    form.toolIds.clear();
    ASSERT_EQ(kFeedbackBuilt, BuildFeedbackXml(form, xml, 0));
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(xml));
    const int root = doc.GetPosition(0).firstChild;
    EXPECT_EQ(CString(L"0"),
              Content(doc, ChildNamed(doc, ChildNamed(doc, root, L"SetPublishState"), L"allowed")));
    EXPECT_TRUE(ChildNames(doc, ChildNamed(doc, root, L"favorite_tools")).empty());
    const int system = ChildNamed(doc, root, L"sys_info");
    EXPECT_EQ(
        (std::vector<CString>{L"os_major_version", L"os_minor_version", L"os_product_type",
                              L"os_architecture_type", L"service_pack_major_version",
                              L"service_pack_minor_version", L"memory_info", L"system_driver"}),
        ChildNames(doc, system));
    EXPECT_EQ(
        (std::vector<CString>{L"total_phy", L"avail_phy", L"total_page_file", L"avail_page_file"}),
        ChildNames(doc, ChildNamed(doc, system, L"memory_info")));
    EXPECT_EQ(CString(L"C:"), Content(doc, ChildNamed(doc, system, L"system_driver")));
}

TEST(FeedbackEncoding, Rc4IsTheStandardCipher) {
    struct Vector {
        const char* key;
        const char* plain;
        std::vector<BYTE> cipher;
    };
    const Vector vectors[] = {
        {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
        {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
        {"Secret",
         "Attack at dawn",
         {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
    };
    for (const Vector& vector : vectors) {
        std::vector<BYTE> data(vector.plain, vector.plain + strlen(vector.plain));
        Rc4Transform(reinterpret_cast<const BYTE*>(vector.key), strlen(vector.key), data.data(),
                     data.size());
        EXPECT_EQ(vector.cipher, data) << vector.key;
    }
    EXPECT_EQ(49u, strlen(FeedbackKey()));
}

TEST(FeedbackEncoding, ThePayloadDecodesBackToTheReport) {
    CString xml;
    ASSERT_EQ(kFeedbackBuilt, BuildFeedbackXml(ValidForm(), xml, 0));
    CString payload;
    ASSERT_EQ(1, EncodeFeedback(L"\r\n " + xml + L" \r\n", payload));
    CString trimmed = xml;
    trimmed.Trim();
    ASSERT_EQ(32 + 4 * trimmed.GetLength(), payload.GetLength());
    EXPECT_EQ(-1, payload.FindOneOf(L"abcdefghijklmnopqrstuvwxyzGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(AnsiMd5(trimmed), payload.Left(32));
    EXPECT_EQ(trimmed, DecodeCipherText(payload.Mid(32)));

    ASSERT_EQ(1, EncodeFeedback(L"x", payload));
    EXPECT_EQ(36, payload.GetLength());
    EXPECT_EQ(CString(L"9DD4E461268C8034F5C8564E155C67A6"), payload.Left(32)); // MD5("x")
    ASSERT_EQ(1, EncodeFeedback(L"  ", payload));
    EXPECT_TRUE(payload.IsEmpty());
}

TEST(FeedbackUpload, TheFileNameHasItsShape) {
    const CString first = MakeFeedbackFileName();
    EXPECT_TRUE(HasFileNameShape(first)) << Narrow(first);
    const CString second = MakeFeedbackFileName();
    EXPECT_TRUE(HasFileNameShape(second)) << Narrow(second);
}

TEST(FeedbackUpload, AnAcceptedReportReachesTheLibraryEncoded) {
    const CWebServiceHelper network;
    ASSERT_TRUE(network.IsLoaded());
    const NetworkStandIn standIn;
    ASSERT_TRUE(standIn.setAnswer && standIn.uploadCount && standIn.lastUpload);
    standIn.setAnswer(1);
    CString xml;
    ASSERT_EQ(kFeedbackBuilt, BuildFeedbackXml(ValidForm(), xml, 0));
    const int before = standIn.uploadCount();

    const FeedbackUploadOutcome outcome = UploadFeedback(network, xml);
    EXPECT_TRUE(outcome.uploaded);
    EXPECT_EQ(CString(L"Feedback uploaded Successfully."), outcome.status);
    EXPECT_EQ(CString(L"Thank you for providing us the feedback"), outcome.message);
    EXPECT_EQ(before + 1, standIn.uploadCount());
    const CString payload = standIn.Last(0);
    CString trimmed = xml;
    trimmed.Trim();
    EXPECT_EQ(trimmed, DecodeCipherText(payload.Mid(32)));
    EXPECT_EQ(AnsiMd5(trimmed), payload.Left(32));
    EXPECT_TRUE(HasFileNameShape(standIn.Last(1))) << Narrow(standIn.Last(1));
}

TEST(FeedbackUpload, TheLibrarysFourEntriesAreBoundByOrdinal) {
    const CWebServiceHelper network;
    ASSERT_TRUE(network.IsLoaded());
    const HMODULE library = GetModuleHandleW(L"Network.dll");
    ASSERT_NE(library, nullptr);
    // Each ordinal reaches the library's own entry of that number (the stand-in's entries 2,
    // 4 and 9 answer their numbers).
    for (WORD ordinal : {WORD{4}, WORD{2}, WORD{9}}) {
        const FARPROC entry = network.BoundEntry(ordinal);
        ASSERT_NE(entry, nullptr) << ordinal;
        EXPECT_EQ(entry, GetProcAddress(library, MAKEINTRESOURCEA(ordinal))) << ordinal;
        EXPECT_EQ(reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(entry))(), ordinal);
    }
    EXPECT_EQ(network.BoundEntry(14), GetProcAddress(library, MAKEINTRESOURCEA(14)));
    EXPECT_NE(network.BoundEntry(14), nullptr);
    EXPECT_EQ(network.BoundEntry(3), nullptr) << "no other ordinal is bound";
    // Without the library nothing is bound.
    const CWebServiceHelper missing(L"NoSuchNetworkLibrary.dll");
    for (WORD ordinal : CWebServiceHelper::kBoundOrdinals)
        EXPECT_EQ(missing.BoundEntry(ordinal), nullptr) << ordinal;
}

TEST(FeedbackUpload, EveryFailureTellsTheFailedText) {
    const CString failed = GetLangString(L"IDS_FEEDBACK_FAILED", L"Pelq");
    ASSERT_FALSE(failed.IsEmpty());
    CString xml;
    ASSERT_EQ(kFeedbackBuilt, BuildFeedbackXml(ValidForm(), xml, 0));

    const CWebServiceHelper network;
    const NetworkStandIn standIn;
    ASSERT_TRUE(standIn.setAnswer);
    standIn.setAnswer(0); // the server refuses
    int uploads = standIn.uploadCount();
    FeedbackUploadOutcome outcome = UploadFeedback(network, xml);
    EXPECT_FALSE(outcome.uploaded);
    EXPECT_EQ(failed, outcome.status);
    EXPECT_EQ(failed, outcome.message);
    EXPECT_EQ(++uploads, standIn.uploadCount());
    standIn.setAnswer(1);

    outcome = UploadFeedback(network, L"  \r\n"); // nothing to send: no call
    EXPECT_FALSE(outcome.uploaded);
    EXPECT_EQ(failed, outcome.message);
    EXPECT_EQ(uploads, standIn.uploadCount());

    const CWebServiceHelper missing(L"NoSuchNetworkLibrary.dll");
    EXPECT_FALSE(missing.IsLoaded());
    outcome = UploadFeedback(missing, xml);
    EXPECT_FALSE(outcome.uploaded);
    EXPECT_EQ(failed, outcome.status);
    EXPECT_EQ(failed, outcome.message);
    EXPECT_EQ(uploads, standIn.uploadCount());
}

} // namespace

// Run-time class information: names, kinds, creation.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class CReaderForTest : public CObject {
    DECLARE_DYNCREATE(CReaderForTest)
public:
    int value = 42;
};
IMPLEMENT_DYNCREATE(CReaderForTest, CObject)

class CDerivedReaderForTest : public CReaderForTest {
    DECLARE_DYNAMIC(CDerivedReaderForTest)
};
IMPLEMENT_DYNAMIC(CDerivedReaderForTest, CReaderForTest)

TEST(RuntimeClass, NamesKindsAndCreation) {
    CDerivedReaderForTest derived;
    const CObject& object = derived;
    EXPECT_STREQ("CDerivedReaderForTest", object.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CReaderForTest)));
    EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(CReaderForTest().IsKindOf(RUNTIME_CLASS(CDerivedReaderForTest)));
    EXPECT_FALSE(object.IsKindOf(RUNTIME_CLASS(CStringArray)));
    EXPECT_EQ(static_cast<int>(sizeof(CReaderForTest)),
              RUNTIME_CLASS(CReaderForTest)->m_nObjectSize);

    CObject* created = RUNTIME_CLASS(CReaderForTest)->CreateObject();
    ASSERT_NE(nullptr, created);
    EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CReaderForTest)));
    EXPECT_EQ(42, static_cast<CReaderForTest*>(created)->value);
    delete created;
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CDerivedReaderForTest)->CreateObject());
}

TEST(RuntimeClass, LibraryClassesAnswerTheirNames) {
    CStringArray strings;
    EXPECT_STREQ("CStringArray", strings.GetRuntimeClass()->m_lpszClassName);
    CMemFile file;
    EXPECT_TRUE(file.IsKindOf(RUNTIME_CLASS(CFile)));
    CFileException error;
    EXPECT_TRUE(error.IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_FALSE(error.IsKindOf(RUNTIME_CLASS(CArchiveException)));
}

} // namespace

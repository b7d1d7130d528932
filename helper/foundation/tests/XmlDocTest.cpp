// XML documents: parsing with its error texts, building by adding elements, escaping, and
// building then parsing the result again.
#include "TestSupport.h"
#include "XmlDoc.h"

#include <gtest/gtest.h>

TEST(XmlParse, EmptyChildElement) {
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDocument(L"<a><b/></a>"));
    EXPECT_TRUE(doc.IsWellFormed());
    const int a = doc.GetPosition(0).firstChild;
    EXPECT_EQ(CString(L"a"), doc.GetTagName(a));
    const CXmlDoc::ElemPos& root = doc.GetPosition(a);
    EXPECT_EQ(0, root.startTagLeft);
    EXPECT_EQ(2, root.startTagRight);
    EXPECT_EQ(7, root.endTagLeft);
    EXPECT_EQ(10, root.endTagRight);
    const int b = root.firstChild;
    EXPECT_EQ(CString(L"b"), doc.GetTagName(b));
    EXPECT_EQ(5, doc.GetPosition(b).endTagLeft); // the slash
    EXPECT_EQ(6, doc.GetPosition(b).endTagRight);
    EXPECT_EQ(0, doc.GetPosition(b).next);
    EXPECT_EQ(a, doc.GetPosition(b).parent);
}

TEST(XmlParse, DeclarationsCommentsAndAttributesAreSkipped) {
    CXmlDoc doc;
    ASSERT_TRUE(
        doc.SetDocument(L"<?xml version=\"1.0\"?>\r\n<!-- note <x> -->\r\n"
                        L"<!DOCTYPE r [<!ELEMENT r ANY>]>\r\n"
                        L"<r id='1 > 2' kind=\"a\"><c>text</c><![CDATA[<no/>]]><d x=\"/\"/></r>"));
    const int r = doc.GetPosition(0).firstChild;
    EXPECT_EQ(CString(L"r"), doc.GetTagName(r));
    const int c = doc.GetPosition(r).firstChild;
    EXPECT_EQ(CString(L"c"), doc.GetTagName(c));
    const int d = doc.GetPosition(c).next;
    EXPECT_EQ(CString(L"d"), doc.GetTagName(d));
    EXPECT_EQ(0, doc.GetPosition(d).next);
}

TEST(XmlParse, ErrorTexts) {
    CXmlDoc doc;
    EXPECT_FALSE(doc.SetDocument(L"<a></b>"));
    EXPECT_EQ(CString(L"End tag does not correspond to a"), doc.GetError());
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_EQ(CString(L"<a></b>"), doc.GetDocument()); // the text stays
    EXPECT_FALSE(doc.SetDocument(L"<a>"));
    EXPECT_EQ(CString(L"End tag of a element not found"), doc.GetError());
    EXPECT_FALSE(doc.SetDocument(L"<a><b></a>"));
    EXPECT_FALSE(doc.GetError().IsEmpty());
    EXPECT_FALSE(doc.SetDocument(L"<a"));
    EXPECT_EQ(CString(L"End of tag not found"), doc.GetError());
    EXPECT_FALSE(doc.SetDocument(L"<!-- open"));
    EXPECT_EQ(CString(L"Invalid node"), doc.GetError());
    EXPECT_FALSE(doc.SetDocument(L"just text"));
    EXPECT_EQ(CString(L"Element tag not found"), doc.GetError());
    EXPECT_FALSE(doc.SetDocument(L"<a>%s%n<b/></a x")); // names never act as formats
    EXPECT_FALSE(doc.SetDocument(nullptr));
    EXPECT_TRUE(doc.GetDocument().IsEmpty());
}

TEST(XmlBuild, ChildOfAnEmptyElementOpensIt) {
    CXmlDoc doc;
    ASSERT_TRUE(doc.AddElem(L"r"));
    EXPECT_EQ(CString(L"<r/>\r\n"), doc.GetDocument());
    ASSERT_TRUE(doc.AddChildElem(L"c", L"x&y"));
    EXPECT_EQ(CString(L"<r>\r\n<c>x&amp;y</c>\r\n</r>\r\n"), doc.GetDocument());
    // The index follows the text.
    const int r = doc.GetCurrentIndex();
    EXPECT_EQ(CString(L"r"), doc.GetTagName(r));
    EXPECT_EQ(2, doc.GetPosition(r).startTagRight);
    EXPECT_EQ(L'<', doc.GetDocument()[doc.GetPosition(r).endTagLeft]);
    EXPECT_EQ(L'>', doc.GetDocument()[doc.GetPosition(r).endTagRight]);
    EXPECT_EQ(CString(L"c"), doc.GetTagName(doc.GetChildIndex()));
    EXPECT_FALSE(doc.AddElem(L"second")); // one document element only
}

TEST(XmlBuild, NestedReportRoundTrips) {
    CXmlDoc doc;
    ASSERT_TRUE(doc.AddElem(L"report"));
    ASSERT_TRUE(doc.AddChildElem(L"name", L"Disk <C:> \"system\""));
    ASSERT_TRUE(doc.AddChildElem(L"drives"));
    EXPECT_NE(-1, doc.GetDocument().Find(L"<name>Disk &lt;C:&gt; \"system\"</name>"));
    CXmlDoc built;
    ASSERT_TRUE(built.SetDocument(doc.GetDocument()));
    ASSERT_TRUE(built.IsWellFormed()) << built.GetError().GetString();

    // Build a deeper tree through the cursor and parse it again.
    CXmlDoc tree;
    ASSERT_TRUE(tree.AddElem(L"a"));
    ASSERT_TRUE(tree.AddChildElem(L"b"));
    ASSERT_TRUE(tree.EnterElem()); // parent a, current b
    ASSERT_TRUE(tree.AddChildElem(L"c", L"1"));
    ASSERT_TRUE(tree.AddChildElem(L"d", L"2"));
    ASSERT_TRUE(tree.LeaveElem()); // current a... parent document
    ASSERT_TRUE(tree.AddChildElem(L"e", L"3 & 4"));
    const CString text = tree.GetDocument();
    CXmlDoc parsed;
    ASSERT_TRUE(parsed.SetDocument(text)) << parsed.GetError().GetString();
    const int a = parsed.GetPosition(0).firstChild;
    const int b = parsed.GetPosition(a).firstChild;
    const int c = parsed.GetPosition(b).firstChild;
    const int d = parsed.GetPosition(c).next;
    const int e = parsed.GetPosition(b).next;
    EXPECT_EQ(CString(L"b"), parsed.GetTagName(b));
    EXPECT_EQ(CString(L"c"), parsed.GetTagName(c));
    EXPECT_EQ(CString(L"d"), parsed.GetTagName(d));
    EXPECT_EQ(CString(L"e"), parsed.GetTagName(e));
    EXPECT_NE(-1, text.Find(L"<e>3 &amp; 4</e>"));
    // The positions kept while building match a fresh parse.
    for (int index : {1, 2, 3, 4, 5}) {
        const CString name = tree.GetTagName(index);
        ASSERT_FALSE(name.IsEmpty()) << index;
        EXPECT_EQ(L'<', text[tree.GetPosition(index).startTagLeft]);
        EXPECT_EQ(L'>', text[tree.GetPosition(index).startTagRight]);
        EXPECT_EQ(L'>', text[tree.GetPosition(index).endTagRight]);
    }
}

TEST(XmlBuild, CursorRules) {
    CXmlDoc doc;
    EXPECT_FALSE(doc.EnterElem());
    EXPECT_FALSE(doc.LeaveElem());
    EXPECT_FALSE(doc.AddChildElem(L"x")); // no current element
    ASSERT_TRUE(doc.SetDocument(L"<r/>"));
    EXPECT_FALSE(doc.AddElem(L"s")); // a document element exists and no parent is set
}

TEST(XmlEscape, TextAndAttributeForms) {
    EXPECT_EQ(CString(L"a &lt;b&gt; &amp; 'c' \"d\""),
              CXmlDoc::EscapeText(L"a <b> & 'c' \"d\"", false));
    EXPECT_EQ(CString(L"&apos;c&apos; &quot;d&quot;"), CXmlDoc::EscapeText(L"'c' \"d\"", true));
    EXPECT_TRUE(CXmlDoc::EscapeText(nullptr, false).IsEmpty());
    const CString many(L'&', 100);
    EXPECT_EQ(500, CXmlDoc::EscapeText(many, false).GetLength());
}

// MathML to LaTeX on its own: each row a formula, whether it is displayed,
// and the LaTeX expected.
#include <gtest/gtest.h>

#include "render/mathml_latex.hpp"
#include "tests/cpp/kept_xml.hpp"

namespace quillmark {
namespace {

struct Formula {
    std::string_view mathml;
    bool displayed;
    std::string_view latex;
};

constexpr Formula formulas[] = {
    {"<math><mi>x</mi><mo>+</mo><mn>1</mn></math>", false, "x+1"},
    {"<math><msub><mi>m</mi><mi>air</mi></msub></math>", false, "{m}_{\\mathrm{air}}"},
    {"<math><mfrac><mi>\xcf\x81</mi><msqrt><mn>2</mn></msqrt></mfrac></math>", false, "\\frac{\\rho }{\\sqrt{2}}"},
    {"<math><mtext>a_b &amp; c</mtext></math>", false, "\\text{a\\_b \\& c}"},
    // Separators are characters; white space between them is no separator;
    // the last repeats.
    {"<math><mfenced separators=\"; ,\"><mi>a</mi><mi>b</mi><mi>c</mi><mi>d</mi></mfenced></math>", false,
     "\\left( a;b,c,d\\right)"},
    {"<math><mfenced separators=\"\xef\xbc\x9b\"><mi>a</mi><mi>b</mi><mi>c</mi></mfenced></math>", false,
     "\\left( a\xef\xbc\x9b" "b\xef\xbc\x9b" "c\\right)"},
    {"<math><mfenced separators=\"  \"><mi>a</mi><mi>b</mi></mfenced></math>", false, "\\left( ab\\right)"},
    {"<math><mfenced open=\"{\" close=\"\"><mi>a</mi></mfenced></math>", false, "\\left\\{ a\\right."},
    // Names of the older entity sets.
    {"<math><mo>&LeftBracketingBar;</mo><mi>x</mi><mo>&RightBracketingBar;</mo></math>", false, "\\lvert x\\rvert"},
    {"<math><mo>&LeftDoubleBracketingBar;</mo><mi>&Circlesolid;</mi><mo>&RightDoubleBracketingBar;</mo></math>",
     false, "\\lVert \xe2\x97\x8f\\rVert"},
    {"<math><mtext>&Circlesolid;&LeftBracketingBar;</mtext></math>", false, "\\text{\xe2\x97\x8f|}"},
    {"<math><mi>&Nosuchname;</mi></math>", false, "\\&Nosuchname;"},
    // Equation numbers of a displayed formula are tags.
    {"<math><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mo>(</mo><mn>1</mn><mo>)</mo></mtd></mtr></mtable></math>", true,
     "a \\tag{1}"},
    {"<math><mrow><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mtext>(2a)</mtext></mtd></mtr>"
     "<mtr><mtd><mi>b</mi></mtd><mtd/></mtr></mtable></mrow></math>",
     true, "\\begin{gather*}a \\tag{2a} \\\\ b \\end{gather*}"},
    {"<math><mtable><mlabeledtr><mtd><mtext>(IV)</mtext></mtd><mtd><mi>c</mi></mtd></mlabeledtr></mtable></math>", true,
     "c \\tag{IV}"},
    // Not inline, not a table of other columns, not a table inside more.
    {"<math><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mtext>(1)</mtext></mtd></mtr></mtable></math>", false,
     "\\begin{matrix}a & \\text{(1)} \\end{matrix}"},
    {"<math><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd></mtr></mtable></math>", true,
     "\\begin{matrix}a & b \\end{matrix}"},
    {"<math><mi>y</mi><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mtext>(1)</mtext></mtd></mtr></mtable></math>", true,
     "y\\begin{matrix}a & \\text{(1)} \\end{matrix}"},
};

TEST(MathmlLatex, EachFormulaGivesItsLatex) {
    for (const Formula& formula : formulas) {
        const Node math = testing::kept_xml(formula.mathml);
        EXPECT_EQ(mathml_to_latex(math.root(), formula.displayed), formula.latex) << formula.mathml;
    }
}

// Each node is visited once: the output grows with the input, however deep
// or wide.
TEST(MathmlLatex, OutputIsInProportionToInput) {
    std::string deep = "<math>";
    for (int i = 0; i < 5000; ++i) deep += "<mrow><msqrt>";
    deep += "<mi>x</mi>";
    for (int i = 0; i < 5000; ++i) deep += "</msqrt></mrow>";
    deep += "</math>";
    std::string wide = "<math><mfenced separators=\",;\">";
    for (int i = 0; i < 5000; ++i) wide += "<mi>&LeftBracketingBar;</mi>";
    wide += "</mfenced></math>";
    for (const std::string& xml : {deep, wide}) {
        const Node math = testing::kept_xml(xml);
        EXPECT_LE(mathml_to_latex(math.root(), true).size(), 2 * xml.size());
    }
}

}  // namespace
}  // namespace quillmark

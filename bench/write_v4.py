"""Grant v4.5 and application v4.4 XML (us-patent-grant / us-patent-application)."""

from xml.sax.saxutils import escape, quoteattr

from content import InlineMarkup, limitation_ending


class V4Writer:
    def __init__(self, pub):
        self.pub = pub
        self.grant = pub["grant"]
        self.paragraphs = 0
        self.headings = 0
        self.markup = InlineMarkup(
            {
                "ref": "<b>%s</b>",
                "fig": '<figref idref="DRAWINGS">%s</figref>',
                "claim": '<claim-ref idref="CLM-%05d">claim %d</claim-ref>',
                "ital": "<i>%s</i>",
                "sup": "<sup>%s</sup>",
                "sub": "<sub>%s</sub>",
            },
            escape,
        )
        if self.grant:
            self.file = "US%s-%s" % (pub["number"], pub["date"])
        else:
            self.file = "US%s%s-%s" % (pub["number"], pub["kind"], pub["date"])

    # Inline content.

    def inline(self, tokens):
        return self.markup.write(tokens)

    # Description blocks.

    def paragraph(self, content):
        self.paragraphs += 1
        return '<p id="p-%04d" num="%04d">%s</p>\n' % (self.paragraphs, self.paragraphs - 1, content)

    def table(self, table):
        columns = len(table["header"])
        lines = ['<tables id="TABLE-US-%05d" num="%05d">' % (table["number"], table["number"]),
                 '<table frame="none" colsep="0" rowsep="0">',
                 '<tgroup align="left" colsep="0" rowsep="0" cols="%d">' % columns]
        lines += ['<colspec colname="%d" colwidth="%dpt" align="center"/>' % (c + 1, 42 + 7 * c) for c in range(columns)]
        lines += ["<thead>", "<row>", '<entry namest="1" nameend="%d" rowsep="1">TABLE %d</entry>' % (columns, table["number"]),
                  "</row>", "<row>"]
        lines += ["<entry>%s</entry>" % escape(cell) for cell in table["header"]]
        lines += ["</row>", "</thead>", '<tbody valign="top">']
        for row in table["rows"]:
            lines += ["<row>"] + ["<entry>%s</entry>" % cell for cell in row] + ["</row>"]
        lines += ["</tbody>", "</tgroup>", "</table>", "</tables>"]
        return "\n".join(lines)

    def math(self, math):
        number = math["number"]
        terms = "<mo>&#xb7;</mo>".join("<mi>%s</mi>" % term for term in math["rhs"])
        return ('<maths id="MATH-US-%05d" num="%05d"><math overflow="scroll" xmlns="http://www.w3.org/1998/Math/MathML">'
                "<mrow><mi>%s</mi><mo>=</mo><mrow>%s</mrow></mrow></math>"
                '<img id="EMI-M%05d" he="5.67mm" wi="76.20mm" file="%s-M%05d.TIF" alt="embedded image" img-content="math" img-format="tif"/>'
                "</maths>" % (number, number, math["lhs"], terms, number, self.file, number))

    def block(self, block):
        kind, value = block
        if kind == "heading":
            self.headings += 1
            level = 1 if value.isupper() else 2
            return '<heading id="h-%04d" level="%d">%s</heading>\n' % (self.headings, level, escape(value))
        if kind == "p":
            return self.paragraph(self.inline(value))
        if kind == "list":
            items = "".join('<li id="ul%04d-%04d" num="%04d">%s</li>' % (self.paragraphs + 1, n + 1, n, self.inline(item))
                            for n, item in enumerate(value))
            return self.paragraph('<ul id="ul%04d" list-style="none">%s</ul>' % (self.paragraphs + 1, items))
        if kind == "table":
            return self.paragraph(self.table(value))
        return self.paragraph(self.math(value))

    def blocks(self, blocks):
        return "".join(self.block(block) for block in blocks)

    # Bibliographic data.

    @staticmethod
    def document_id(country, number, kind=None, date=None, name=None):
        parts = ["<document-id>", "<country>%s</country>" % country, "<doc-number>%s</doc-number>" % number]
        if kind:
            parts.append("<kind>%s</kind>" % kind)
        if name:
            parts.append("<name>%s</name>" % escape(name))
        if date:
            parts.append("<date>%s</date>" % date)
        parts.append("</document-id>")
        return "\n".join(parts)

    @staticmethod
    def address(party):
        parts = ["<address>", "<city>%s</city>" % escape(party["city"])]
        if party["state"]:
            parts.append("<state>%s</state>" % party["state"])
        parts += ["<country>%s</country>" % party["country"], "</address>"]
        return "\n".join(parts)

    def classification(self, c, tag, indicator, extra=()):
        lines = ["<%s>" % tag, "<%s-version-indicator><date>20130101</date></%s-version-indicator>" % (indicator, indicator)]
        if tag == "classification-ipcr":
            lines.append("<classification-level>A</classification-level>")
        lines += ["<section>%s</section>" % c["section"], "<class>%s</class>" % c["class"], "<subclass>%s</subclass>" % c["subclass"],
                  "<main-group>%s</main-group>" % c["main_group"], "<subgroup>%s</subgroup>" % c["subgroup"],
                  "<symbol-position>F</symbol-position>", "<classification-value>I</classification-value>",
                  "<action-date><date>%s</date></action-date>" % self.pub["date"],
                  "<generating-office><country>US</country></generating-office>",
                  "<classification-status>B</classification-status>", "<classification-data-source>H</classification-data-source>"]
        lines += list(extra)
        lines.append("</%s>" % tag)
        return "\n".join(lines)

    def citations(self):
        out = ["<us-references-cited>"]
        for c in self.pub["citations"]:
            out.append("<us-citation>")
            if "npl" in c:
                out.append('<nplcit num="%05d">\n<othercit>%s</othercit>\n</nplcit>' % (c["num"], escape(c["npl"])))
            else:
                out.append('<patcit num="%05d">' % c["num"])
                out.append(self.document_id(c["country"], c["doc_number"], c["kind"], c["date"], c["name"]))
                out.append("</patcit>")
            out.append("<category>%s</category>" % (c.get("category") or "cited by examiner"))
            if "cpc" in c:
                out.append("<classification-cpc-text>%s</classification-cpc-text>" % c["cpc"])
                out.append("<classification-national><country>US</country><main-classification>%s</main-classification></classification-national>" % c["us_class"])
            out.append("</us-citation>")
        out.append("</us-references-cited>")
        return "\n".join(out)

    def parties(self):
        pub = self.pub
        out = ["<us-parties>", "<us-applicants>"]
        for n, org in enumerate(pub["applicants"], 1):
            out.append('<us-applicant sequence="%03d" app-type="applicant" designation="us-only" applicant-authority-category="assignee">' % n)
            out += ["<addressbook>", "<orgname>%s</orgname>" % escape(org["name"]), self.address(org), "</addressbook>",
                    "<residence>", "<country>%s</country>" % org["country"], "</residence>", "</us-applicant>"]
        out += ["</us-applicants>", "<inventors>"]
        for n, person in enumerate(pub["inventors"], 1):
            first = person["given"] + (" " + person["middle"] if person["middle"] else "")
            out += ['<inventor sequence="%03d" designation="us-only">' % n, "<addressbook>",
                    "<last-name>%s</last-name>" % escape(person["family"]), "<first-name>%s</first-name>" % escape(first),
                    self.address(person), "</addressbook>", "</inventor>"]
        out += ["</inventors>", "<agents>", '<agent sequence="01" rep-type="attorney">', "<addressbook>",
                "<orgname>%s</orgname>" % escape(pub["agent"]), "<address>", "<country>unknown</country>", "</address>",
                "</addressbook>", "</agent>", "</agents>", "</us-parties>", "<assignees>"]
        for org in pub["assignees"]:
            out += ["<assignee>", "<addressbook>", "<orgname>%s</orgname>" % escape(org["name"]), "<role>02</role>",
                    self.address(org), "</addressbook>", "</assignee>"]
        out.append("</assignees>")
        if self.grant:
            primary, assistant = pub["examiners"]
            out += ["<examiners>", "<primary-examiner>", "<last-name>%s</last-name>" % escape(primary["family"]),
                    "<first-name>%s</first-name>" % escape(primary["given"]), "<department>2491</department>",
                    "</primary-examiner>", "<assistant-examiner>", "<last-name>%s</last-name>" % escape(assistant["family"]),
                    "<first-name>%s</first-name>" % escape(assistant["given"]), "</assistant-examiner>", "</examiners>"]
        return "\n".join(out)

    def related(self):
        parent, parent_date = self.pub["related"]["parent"]
        provisional, provisional_date = self.pub["related"]["provisional"]
        return "\n".join([
            "<us-related-documents>", "<continuation>", "<relation>", "<parent-doc>",
            self.document_id("US", parent, date=parent_date), "<parent-status>ABANDONED</parent-status>", "</parent-doc>",
            "<child-doc>", self.document_id("US", self.pub["application"]["number"]), "</child-doc>",
            "</relation>", "</continuation>", "<us-provisional-application>",
            self.document_id("US", provisional, date=provisional_date), "</us-provisional-application>",
            "</us-related-documents>"])

    def bibliographic(self):
        pub = self.pub
        application = pub["application"]
        tag = "us-bibliographic-data-grant" if self.grant else "us-bibliographic-data-application"
        out = ["<%s>" % tag if self.grant else '<%s lang="EN" country="US">' % tag,
               "<publication-reference>", self.document_id("US", pub["number"], pub["kind"], pub["date"]), "</publication-reference>",
               '<application-reference appl-type="%s">' % application["type"],
               self.document_id("US", application["number"], date=application["date"]), "</application-reference>",
               "<us-application-series-code>%s</us-application-series-code>" % application["series"]]
        if self.grant:
            out.append("<us-term-of-grant>\n<us-term-extension>%d</us-term-extension>\n</us-term-of-grant>" % (len(pub["title"]) * 7))
        out.append("<classifications-ipcr>")
        out += [self.classification(c, "classification-ipcr", "ipc") for c in pub["ipcr"]]
        origin = ["<scheme-origination-code>C</scheme-origination-code>"]
        out += ["</classifications-ipcr>", "<classifications-cpc>", "<main-cpc>",
                self.classification(pub["cpc"][0], "classification-cpc", "cpc", origin), "</main-cpc>", "<further-cpc>"]
        out += [self.classification(c, "classification-cpc", "cpc", origin) for c in pub["cpc"][1:]]
        out += ["</further-cpc>", "</classifications-cpc>"]
        main, further = pub["us_class"]
        out += ["<classification-national>", "<country>US</country>",
                "<main-classification>%s</main-classification>" % main.replace("/", "")]
        out += ["<further-classification>%s</further-classification>" % f.replace("/", "") for f in further]
        out += ["</classification-national>", '<invention-title id="d2e53">%s</invention-title>' % escape(pub["title"])]
        if self.grant:
            out += [self.citations(), "<number-of-claims>%d</number-of-claims>" % len(pub["claims"]),
                    "<us-exemplary-claim>1</us-exemplary-claim>",
                    "<us-field-of-classification-search>", "<classification-national>", "<country>US</country>",
                    "<main-classification>None</main-classification>", "</classification-national>",
                    "<classification-cpc-text>H04L 63/0428</classification-cpc-text>", "</us-field-of-classification-search>",
                    "<figures>", "<number-of-drawing-sheets>%d</number-of-drawing-sheets>" % (len(pub["figures"]) // 2),
                    "<number-of-figures>%d</number-of-figures>" % len(pub["figures"]), "</figures>"]
        out += [self.related(), self.parties(), "</%s>" % tag]
        return "\n".join(out)

    # The document.

    def drawings(self):
        out = ['<drawings id="DRAWINGS">']
        for n in range(len(self.pub["figures"])):
            out.append('<figure id="Fig-EMI-D%05d" num="%05d">\n<img id="EMI-D%05d" he="201.00mm" wi="160.00mm" file="%s-D%05d.TIF" '
                       'alt="embedded image" img-content="drawing" img-format="tif"/>\n</figure>' % (n, n, n, self.file, n))
        out.append("</drawings>")
        return "\n".join(out)

    def head(self):
        """Everything up to the first block of the detailed description."""
        pub = self.pub
        if self.grant:
            root, dtd = "us-patent-grant", 'SYSTEM "us-patent-grant-v45-2014-04-03.dtd"'
            version = "v4.5 2014-04-03"
        else:
            root, dtd = "us-patent-application", 'SYSTEM "us-patent-application-v44-2014-04-03.dtd"'
            version = "v4.4 2014-04-03"
        out = ['<?xml version="1.0" encoding="UTF-8"?>', "<!DOCTYPE %s %s [ ]>" % (root, dtd),
               '<%s lang="EN" dtd-version="%s" file=%s status="PRODUCTION" id="%s" country="US" date-produced="%s" date-publ="%s">'
               % (root, version, quoteattr(self.file + ".XML"), root, pub["date"], pub["date"]),
               self.bibliographic(), '<abstract id="abstract">']
        out += [self.paragraph(self.inline(p)).rstrip("\n") for p in pub["abstract"]]
        out += ["</abstract>", self.drawings(), '<description id="description">',
                '<?RELAPP description="Other Patent Relations" end="lead"?>']
        out.append(self.blocks(pub["related_text"]) + '<?RELAPP description="Other Patent Relations" end="tail"?>')
        out.append('<?BRFSUM description="Brief Summary" end="lead"?>')
        out.append(self.blocks(pub["summary"]) + '<?BRFSUM description="Brief Summary" end="tail"?>')
        out.append("<description-of-drawings>")
        out.append('<?brief-description-of-drawings description="Brief Description of Drawings" end="lead"?>')
        out.append(self.blocks(pub["drawings"]) +
                   '<?brief-description-of-drawings description="Brief Description of Drawings" end="tail"?>')
        out.append("</description-of-drawings>")
        out.append('<?DETDESC description="Detailed Description" end="lead"?>')
        return "\n".join(out) + "\n"

    def middle(self):
        return '<?DETDESC description="Detailed Description" end="tail"?>\n</description>\n'

    def claim_items(self, items):
        out = []
        for n, item in enumerate(items):
            ending = limitation_ending(n, len(items), bool(item["items"]))
            out.append("<claim-text>%s%s%s</claim-text>" % (self.inline(item["tokens"]), ending,
                                                            "\n" + self.claim_items(item["items"]) if item["items"] else ""))
        return "\n".join(out)

    def claims(self):
        out = ["<us-claim-statement>What is claimed is:</us-claim-statement>"] if self.grant else []
        out.append('<claims id="claims">')
        for claim in self.pub["claims"]:
            body = self.inline(claim["head"])
            if claim["items"]:
                body += "\n" + self.claim_items(claim["items"]) + "\n"
            out.append('<claim id="CLM-%05d" num="%05d">\n<claim-text>%s</claim-text>\n</claim>' % (claim["number"], claim["number"], body))
        out.append("</claims>")
        return "\n".join(out) + "\n"

    def end(self):
        return "</us-patent-grant>\n" if self.grant else "</us-patent-application>\n"

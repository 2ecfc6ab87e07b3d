"""Application v1.6 XML (patent-application-publication, pap-v16 DTD)."""

from xml.sax.saxutils import escape

from content import InlineMarkup, limitation_ending


def era(date):
    """These applications were published 2001 to 2004: shift the drawn dates back."""
    return "%04d%s" % (int(date[:4]) - 13, date[4:])


class PapWriter:
    def __init__(self, pub):
        self.pub = pub
        self.number = "2002%07d" % (int(pub["number"][4:]) % 200000)
        self.date = era(pub["date"])
        self.file = "US%s%s-%s" % (self.number, pub["kind"], self.date)
        self.paragraphs = 0
        self.markup = InlineMarkup(
            {
                "ref": "<bold>%s</bold>",
                "fig": '<cross-reference target="DRAWINGS">%s</cross-reference>',
                "claim": '<dependent-claim-reference depends_on="CLM-%05d">claim %d</dependent-claim-reference>',
                "ital": "<italic>%s</italic>",
                "sup": "<superscript>%s</superscript>",
                "sub": "<subscript>%s</subscript>",
            },
            escape,
        )
        self.section_open = False

    def inline(self, tokens):
        return self.markup.write(tokens)

    def paragraph(self, content, level=0):
        self.paragraphs += 1
        return '<paragraph id="P-%04d" lvl="%d"><number>[%04d]</number> %s</paragraph>\n' % (
            self.paragraphs, level, self.paragraphs, content)

    def table(self, table):
        columns = len(table["header"])
        lines = ['<table-cals id="TABLE-US-%05d">' % table["number"],
                 '<table frame="none" colsep="0" rowsep="0" tabstyle="monospace">',
                 '<tgroup align="left" colsep="0" rowsep="0" cols="%d">' % columns]
        lines += ['<colspec colname="%d" colwidth="%dpt" align="center"/>' % (c + 1, 42 + 7 * c) for c in range(columns)]
        lines += ["<thead>", "<row>"] + ["<entry>%s</entry>" % escape(cell) for cell in table["header"]] + [
            "</row>", "</thead>", '<tbody valign="top">']
        for row in table["rows"]:
            lines += ["<row>"] + ["<entry>%s</entry>" % cell for cell in row] + ["</row>"]
        lines += ["</tbody>", "</tgroup>", "</table>", "</table-cals>"]
        return "\n".join(lines)

    def block(self, block):
        """One block inside a description part; every heading opens a new section."""
        kind, value = block
        opening = ""
        if kind == "heading" or not self.section_open:
            opening = ("</section>\n" if self.section_open else "") + "<section>\n"
            self.section_open = True
        if kind == "heading":
            return opening + '<heading lvl="1">%s</heading>\n' % escape(value)
        if kind == "p":
            return opening + self.paragraph(self.inline(value))
        if kind == "list":
            return opening + "".join(self.paragraph(self.inline(item), 1) for item in value)
        if kind == "table":
            return opening + self.paragraph(self.table(value))
        number = value["number"]
        return opening + self.paragraph('<math-cwu id="MATH-%05d"><image id="EMI-M%05d" wi="216.027" he="18.96" file="%s-M%05d.TIF" imf="TIFF" ti="MF" /></math-cwu>' % (
            number, number, self.file, number))

    def part(self, name, blocks):
        body = "".join(self.block(block) for block in blocks)
        body += "</section>\n" if self.section_open else ""
        self.section_open = False
        return "<%s>\n%s</%s>" % (name, body, name)

    def name(self, person):
        middle = "<middle-name>%s</middle-name>" % person["middle"] if person["middle"] else ""
        return "<name><given-name>%s</given-name>%s<family-name>%s</family-name></name>" % (
            escape(person["given"]), middle, escape(person["family"]))

    @staticmethod
    def residence(person):
        if person["country"] == "US":
            return "<residence><residence-us><city>%s</city><state>%s</state><country-code>US</country-code></residence-us></residence>" % (
                escape(person["city"]), person["state"])
        return "<residence><residence-non-us><city>%s</city><country-code>%s</country-code></residence-non-us></residence>" % (
            escape(person["city"]), person["country"])

    def bibliographic(self):
        pub = self.pub
        application = pub["application"]
        series = "%02d" % (int(application["number"][:2]) - 4)
        application_number = series + application["number"][2:]
        main, further = pub["us_class"]
        parent, parent_date = pub["related"]["parent"]
        provisional, provisional_date = pub["related"]["provisional"]

        def uspc(code):
            class_, subclass = code.split("/")
            return "<uspc><class>%s</class><subclass>%s000</subclass></uspc>" % (class_, subclass.rjust(3, "0"))

        ipc = ["%s%s%s%03d/%s" % (c["section"], c["class"], c["subclass"], int(c["main_group"]), c["subgroup"][:2]) for c in pub["ipcr"]]
        out = ["<subdoc-bibliographic-information>", "<document-id>", "<doc-number>%s</doc-number>" % self.number,
               "<kind-code>%s</kind-code>" % pub["kind"], "<document-date>%s</document-date>" % self.date, "</document-id>",
               "<publication-filing-type>new-utility</publication-filing-type>",
               "<domestic-filing-data>", "<application-number>", "<doc-number>%s</doc-number>" % application_number,
               "</application-number>", "<application-number-series-code>%s</application-number-series-code>" % series,
               "<filing-date>%s</filing-date>" % era(application["date"]), "</domestic-filing-data>",
               "<technical-information>", "<classification-ipc>",
               "<classification-ipc-primary><ipc>%s</ipc></classification-ipc-primary>" % ipc[0]]
        out += ["<classification-ipc-secondary><ipc>%s</ipc></classification-ipc-secondary>" % code for code in ipc[1:]]
        out += ["<classification-ipc-edition>07</classification-ipc-edition>", "</classification-ipc>",
                "<classification-us>", "<classification-us-primary>%s</classification-us-primary>" % uspc(main)]
        out += ["<classification-us-secondary>%s</classification-us-secondary>" % uspc(code) for code in further]
        out += ["</classification-us>", "<title-of-invention>%s</title-of-invention>" % escape(pub["title"]),
                "</technical-information>",
                "<continuity-data>", "<continuations>", "<continuation-of>", "<parent-child>",
                "<child><document-id><doc-number>%s</doc-number><kind-code>A1</kind-code></document-id></child>" % application_number,
                "<parent><document-id><doc-number>%s</doc-number><document-date>%s</document-date><country-code>US</country-code></document-id></parent>"
                % (parent, era(parent_date)),
                "<parent-status>ABANDONED</parent-status>", "</parent-child>", "</continuation-of>", "</continuations>",
                "<non-provisional-of-provisional><document-id><doc-number>%s</doc-number><document-date>%s</document-date>"
                "<country-code>US</country-code></document-id></non-provisional-of-provisional>" % (provisional, era(provisional_date)),
                "</continuity-data>", "<inventors>"]
        for n, person in enumerate(pub["inventors"]):
            tag = "first-named-inventor" if n == 0 else "inventor"
            out.append("<%s>%s%s<authority-applicant>INV</authority-applicant></%s>" % (tag, self.name(person), self.residence(person), tag))
        out.append("</inventors>")
        for org in pub["assignees"]:
            out.append("<assignee><organization-name>%s</organization-name><assignee-type>02</assignee-type></assignee>" % escape(org["name"]))
        out += ["<correspondence-address>", "<name-1>%s</name-1>" % escape(pub["agent"].upper()), "<name-2></name-2>",
                "<address>", "<address-1>%d MAIN STREET</address-1>" % (len(pub["title"]) * 13), "<address-2>SUITE 500</address-2>",
                "<city>AUSTIN</city>", "<state>TX</state>", "<postalcode>78701</postalcode>", "</address>",
                "</correspondence-address>", "</subdoc-bibliographic-information>"]
        return "\n".join(out)

    def head(self):
        pub = self.pub
        figures = ["%s-D%05d.TIF" % (self.file, n) for n in range(len(pub["figures"]))]
        declarations = "".join('<!ENTITY %s SYSTEM "%s" NDATA TIF>\n' % (name, name) for name in figures)
        out = ['<?xml version="1.0" encoding="UTF-8"?>',
               '<!DOCTYPE patent-application-publication SYSTEM "pap-v16-2002-01-01.dtd" [\n%s]>' % declarations,
               "<patent-application-publication>", self.bibliographic(), "<subdoc-abstract>"]
        for p in pub["abstract"]:
            out.append('<paragraph id="A-0001" lvl="0">%s</paragraph>' % self.inline(p))
        related = pub["related_text"]
        out += ["</subdoc-abstract>", "<subdoc-description>", "<cross-reference-to-related-applications>",
                '<heading lvl="1">%s</heading>' % escape(related[0][1]),
                self.paragraph(self.inline(related[1][1])).rstrip("\n"), "</cross-reference-to-related-applications>",
                self.part("summary-of-invention", pub["summary"]),
                self.part("brief-description-of-drawings", pub["drawings"]), "<detailed-description>"]
        return "\n".join(out) + "\n"

    def middle(self):
        closing = "</section>\n" if self.section_open else ""
        self.section_open = False
        return closing + "</detailed-description>\n</subdoc-description>\n"

    def claim_items(self, items):
        out = []
        for n, item in enumerate(items):
            ending = limitation_ending(n, len(items), bool(item["items"]))
            nested = "\n" + self.claim_items(item["items"]) if item["items"] else ""
            out.append("<claim-text>%s%s%s</claim-text>" % (self.inline(item["tokens"]), ending, nested))
        return "\n".join(out)

    def claims(self):
        out = ["<subdoc-claims>", '<heading lvl="1">What is claimed is:</heading>']
        for claim in self.pub["claims"]:
            body = self.inline(claim["head"])
            if claim["items"]:
                body += "\n" + self.claim_items(claim["items"])
            out.append('<claim id="CLM-%05d">\n<claim-text>%s</claim-text>\n</claim>' % (claim["number"], body))
        out.append("</subdoc-claims>")
        return "\n".join(out) + "\n"

    def end(self):
        out = ['<subdoc-drawings id="DRAWINGS">', '<heading lvl="0" align="CENTER">Drawings</heading>',
               "<representative-figure>1</representative-figure>"]
        for n in range(len(self.pub["figures"])):
            out.append('<figure id="figure-D%05d"><image id="EMI-D%05d" file="%s-D%05d.TIF" /></figure>' % (n, n, self.file, n))
        out += ["</subdoc-drawings>", "</patent-application-publication>"]
        return "\n".join(out) + "\n"

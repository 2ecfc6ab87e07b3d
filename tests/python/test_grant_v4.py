"""Grant v4.x: what tests/data/cases/grant_v4.cases cannot say."""
import quillmark

GRANT = """<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE us-patent-grant SYSTEM "us-patent-grant-v45-2014-04-03.dtd" [ ]>
<us-patent-grant dtd-version="v4.5 2014-04-03">
<us-bibliographic-data-grant>
<publication-reference><document-id><country>US</country><doc-number>07654321</doc-number><kind>B2</kind><date>20180123</date></document-id></publication-reference>
<invention-title>A "quoted" title</invention-title>
</us-bibliographic-data-grant>
</us-patent-grant>"""


def test_repr_shows_a_missing_publication_number_as_none_and_escapes_quotes():
    document = quillmark.parse(GRANT)
    assert repr(document) == 'Document(publication_number=None, title="A \\"quoted\\" title")'

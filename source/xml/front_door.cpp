// libxml2 reports the document through SAX2 callbacks, and the nodes go
// straight into the flat table: no libxml2 tree is built.
//
// Built and tested against libxml2 2.9 (Debian 12's) and 2.15 (.ci/libxml2-latest).
// Where the two differ, LIBXML_VERSION picks the way; each guard says what
// changed in which release:
// - 2.11: entity amplification is checked by its ratio to the text read, and
//   references to undeclared entities are no longer counted.
// - 2.12: the ratio can be set (xmlCtxtSetMaxAmplification); the structured
//   error handler takes a const error.
// - 2.13: the parser reads entity content on the document's own context,
//   through the same callbacks, and reports no reference from an attribute
//   value. The context is made with its handler (xmlNewSAXParserCtxt, since
//   2.11) and reads the text in place (xmlCtxtReadMemory); the older way
//   needs xmlDefaultSAXHandler, deprecated since 2.13 and missing from a
//   build without SAX1, such as .ci/libxml2-latest's.
#include "source/xml/front_door.hpp"

#include "model/text/utf8.hpp"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <cstring>
#include <memory>
#include <optional>

namespace quillmark {

namespace {

#if LIBXML_VERSION >= 21200
using ErrorRecord = const xmlError*;
#else
using ErrorRecord = xmlErrorPtr;
#endif

// The libxml2 tree builder refuses text nodes longer than this without huge
// mode; the flat table keeps the same limit.
constexpr std::size_t max_text_node_length = 10000000;
// Everything the tree stores is a piece of the text, except entity
// replacement texts (stored at every reference) and attribute or namespace
// defaults from the internal subset (stored on every element they apply to).
// A short text could multiply those without bound, so together they may add
// at most this much to the text's own size.
constexpr std::size_t max_expansion = 10000000;
#if LIBXML_VERSION >= 21200
// libxml2 refuses an entity expansion more than this many times the text read
// so far (its default is 5). Under max_expansion that ratio is only reached by
// nesting entities in entities, whose expansion libxml2 itself has to walk;
// a single large entity named many times is left to max_expansion.
constexpr unsigned max_amplification = 1000;
#endif

std::string_view sv(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}
std::optional<std::string_view> optional_sv(const xmlChar* text) {
    if (!text) return std::nullopt;
    return sv(text);
}

struct SaxState {
    xmlParserCtxtPtr ctxt = nullptr;
    XmlTreeBuilder builder;
    std::optional<std::string> error;  // the first error that ends the parse
    std::size_t max_stored;            // the text's size plus max_expansion

    // Where the last reported entity reference ended, and whether it stood in
    // a start tag.
    std::size_t last_reference_end = 0;
    bool last_reference_in_tag = false;

    explicit SaxState(std::string_view text) : builder(text), max_stored(text.size() + max_expansion) {}

    bool reference_is_in_start_tag(std::size_t name_length);

    // False, and the parse fails, once the tree would hold more than allowed.
    bool admit(std::size_t length) {
        if (builder.stored_bytes() + length <= max_stored) return true;
        fail_expansion();
        return false;
    }

    // The failures met on the way of every element and text run are out of
    // that way, so that the callbacks stay small.
    [[gnu::cold, gnu::noinline]] void fail_expansion() {
        fail("entity and attribute-default expansion exceeds " + std::to_string(max_expansion) + " bytes");
    }
    [[gnu::cold, gnu::noinline]] void fail_text_too_long() {
        fail("text node exceeds " + std::to_string(max_text_node_length) + " bytes");
    }

    void fail(std::string description) {
        if (error) return;
        error = "parse error at " + std::to_string(xmlSAX2GetLineNumber(ctxt)) + ":" +
                std::to_string(xmlSAX2GetColumnNumber(ctxt)) + ": " + description;
        xmlStopParser(ctxt);
    }
};

// libxml2 also reports an undeclared entity met inside an attribute value,
// before its element starts (the value itself just loses it). Content never
// holds a literal "<", and attribute values never do, so looking back from
// the reference, a "<" means a start tag and a ">" the end of earlier markup.
// Reaching the previous reference means the same place as that one, which
// keeps runs of references linear.
bool SaxState::reference_is_in_start_tag([[maybe_unused]] std::size_t name_length) {
#if LIBXML_VERSION >= 21300
    return false;  // since 2.13 only references in content are reported
#else
    // Reads the input window, an internal of libxml2 before 2.13.
    const xmlChar* base = ctxt->input->base;
    const xmlChar* start = ctxt->input->cur - (name_length + 2);  // at the "&"
    const std::size_t consumed = static_cast<std::size_t>(ctxt->input->consumed);
    bool in_tag = false;
    if (start > base) {
        // The bytes before `floor` come before the end of the previous reference.
        const std::size_t before_previous = last_reference_end > consumed ? last_reference_end - consumed : 0;
        const xmlChar* floor =
            before_previous >= static_cast<std::size_t>(start - base) ? start : base + before_previous;
        const std::size_t span = static_cast<std::size_t>(start - floor);
        const auto* tag_open = static_cast<const xmlChar*>(memrchr(floor, '<', span));
        const auto* tag_close = static_cast<const xmlChar*>(memrchr(floor, '>', span));
        if (tag_open || tag_close)
            in_tag = tag_open && (!tag_close || tag_open > tag_close);
        else
            in_tag = floor > base && last_reference_in_tag;
    }
    last_reference_end = consumed + static_cast<std::size_t>(ctxt->input->cur - base);
    last_reference_in_tag = in_tag;
    return in_tag;
#endif
}

// The content of an entity is parsed for checking, and its callbacks are
// ignored: the reference stands for it. Before 2.13 that parse has a context
// of its own, which its callbacks carry; since 2.13 it runs on the document's
// context with the entity as the current input, above the document's own.
SaxState* state_of(void* ctx) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    auto* state = static_cast<SaxState*>(ctxt->_private);
    if (state == nullptr || state->ctxt != ctxt || state->error) return nullptr;
#if LIBXML_VERSION >= 21300
    if (ctxt->inputNr > 1) return nullptr;
#endif
    return state;
}

// libxml2 leaves "&#38;" for an ampersand and "&name;" for a declared entity
// in attribute values reported through SAX; replace them as its tree would.
void add_attribute_value(SaxState& state, std::string_view value) {
    XmlTreeBuilder& builder = state.builder;
    std::size_t pos = 0;
    while (pos < value.size()) {
        const std::size_t amp = value.find('&', pos);
        if (amp == std::string_view::npos) {
            builder.append_attribute_value(value.substr(pos));
            return;
        }
        builder.append_attribute_value(value.substr(pos, amp - pos));
        const std::size_t semi = value.find(';', amp);
        if (semi == std::string_view::npos) {
            builder.append_attribute_value(value.substr(amp));
            return;
        }
        const std::string_view reference = value.substr(amp + 1, semi - amp - 1);
        if (reference == "#38") {
            builder.append_attribute_value("&");
        } else {
            const std::string name(reference);
            xmlEntityPtr entity = xmlGetDocEntity(state.ctxt->myDoc, reinterpret_cast<const xmlChar*>(name.c_str()));
            if (entity != nullptr && entity->etype == XML_INTERNAL_GENERAL_ENTITY && entity->content != nullptr) {
                const std::string_view replacement = sv(entity->content);
                if (!state.admit(replacement.size())) return;
                builder.append_attribute_value(replacement);
            } else
                builder.append_attribute_value(value.substr(amp, semi - amp + 1));
        }
        pos = semi + 1;
    }
}

void on_start_element(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar*,
                      int namespace_count, const xmlChar** namespaces, int attribute_count, int,
                      const xmlChar** attributes) {
    SaxState* state = state_of(ctx);
    if (!state) return;
    XmlTreeBuilder& builder = state->builder;
    builder.start_element(sv(localname), optional_sv(prefix));
    // Namespace declarations are part of the start tag too: keep them as
    // xmlns / xmlns:prefix attributes so nothing of the tag is lost.
    for (int i = 0; i < namespace_count; ++i) {
        const xmlChar* declared = namespaces[2 * i];
        const std::string_view uri = sv(namespaces[2 * i + 1]);
        if (declared)
            builder.add_attribute(sv(declared), std::string_view("xmlns"), uri);
        else
            builder.add_attribute("xmlns", std::nullopt, uri);
    }
    for (int i = 0; i < attribute_count; ++i) {
        const xmlChar** a = attributes + 5 * i;
        builder.begin_attribute(sv(a[0]), optional_sv(a[1]));
        add_attribute_value(*state, std::string_view(reinterpret_cast<const char*>(a[3]),
                                                     static_cast<std::size_t>(a[4] - a[3])));
    }
    state->admit(0);
}

void on_end_element(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    if (SaxState* state = state_of(ctx)) state->builder.end_element();
}

void add_data(void* ctx, XmlKind kind, const xmlChar* data, int length) {
    SaxState* state = state_of(ctx);
    if (!state) return;
    if (state->builder.add_character_data(kind, std::string_view(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::size_t>(length))) >
        max_text_node_length)
        state->fail_text_too_long();
}

void on_characters(void* ctx, const xmlChar* data, int length) { add_data(ctx, XmlKind::Text, data, length); }
void on_cdata(void* ctx, const xmlChar* data, int length) { add_data(ctx, XmlKind::CData, data, length); }

void on_comment(void* ctx, const xmlChar* text) {
    if (SaxState* state = state_of(ctx)) state->builder.add_comment(sv(text));
}

void on_processing_instruction(void* ctx, const xmlChar* target, const xmlChar* data) {
    if (SaxState* state = state_of(ctx)) state->builder.add_processing_instruction(sv(target), optional_sv(data));
}

void on_reference(void* ctx, const xmlChar* name) {
    SaxState* state = state_of(ctx);
    if (!state) return;
    xmlEntityPtr entity = xmlGetDocEntity(state->ctxt->myDoc, name);
    // libxml2 counts every reference towards its entity-expansion limit and
    // stops a document with more than 10,000 references to undeclared
    // entities. Such a reference expands to nothing, and the early formats
    // write characters as entities of their external DTD (every paragraph
    // number is "&lsqb;0001&rsqb;"), so it is taken off the count again.
    // The count is an internal of libxml2 before 2.11, which no longer keeps it.
#if LIBXML_VERSION < 21100
    if (entity == nullptr && state->ctxt->nbentities > 0) --state->ctxt->nbentities;
#endif
    if (state->reference_is_in_start_tag(std::strlen(reinterpret_cast<const char*>(name)))) return;
    if (entity != nullptr && entity->etype != XML_INTERNAL_GENERAL_ENTITY &&
        entity->etype != XML_INTERNAL_PREDEFINED_ENTITY) {
        state->fail("external entity '" + std::string(sv(name)) + "' is not loaded");
        return;
    }
    std::optional<std::string_view> replacement;
    if (entity != nullptr && entity->content != nullptr) {
        replacement = sv(entity->content);
        if (!state->admit(replacement->size())) return;
    }
    state->builder.add_entity_reference(sv(name), replacement);
}

// Nothing outside the text is ever read.
xmlParserInputPtr refuse_external_entity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

void trim_message_end(std::string_view& text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
}

void on_error(void* ctx, ErrorRecord error) {
    if (error == nullptr || error->level != XML_ERR_FATAL) return;
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    auto* state = ctxt ? static_cast<SaxState*>(ctxt->_private) : nullptr;
    if (state == nullptr || state->error) return;
    std::string_view description = error->message ? std::string_view(error->message) : "not well-formed";
    trim_message_end(description);
    // Some libxml2 messages quote the first bytes of the construct at fault
    // and may cut a character in half; the message stays UTF-8 without it.
    description = without_cut_last_character(description);
    trim_message_end(description);
    state->error = "parse error at " + std::to_string(error->line) + ":" + std::to_string(error->int2) + ": " +
                   std::string(description);
}

// Runs once, before the first parse; callers on other threads wait for it.
xmlSAXHandler make_handler() {
    xmlInitParser();  // libxml2's global set-up must be done before threads parse at once
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    xmlSAXVersion(&handler, 2);  // keeps the DTD and entity declaration callbacks
    handler.startElementNs = on_start_element;
    handler.endElementNs = on_end_element;
    handler.startElement = nullptr;
    handler.endElement = nullptr;
    handler.characters = on_characters;
    handler.ignorableWhitespace = on_characters;
    handler.cdataBlock = on_cdata;
    handler.comment = on_comment;
    handler.processingInstruction = on_processing_instruction;
    handler.reference = on_reference;
    handler.resolveEntity = refuse_external_entity;
    handler.externalSubset = nullptr;
    handler.serror = on_error;
    handler.warning = nullptr;
    handler.error = nullptr;
    handler.fatalError = nullptr;
    return handler;
}

struct ContextDeleter {
    void operator()(xmlParserCtxtPtr ctxt) const {
        if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
        ctxt->myDoc = nullptr;
#if LIBXML_VERSION < 21300
        ctxt->sax = nullptr;  // the handler is ours
#endif
        xmlFreeParserCtxt(ctxt);
    }
};

constexpr int parse_options = XML_PARSE_NONET | XML_PARSE_IGNORE_ENC
#if LIBXML_VERSION >= 21300
                              | XML_PARSE_NO_XXE  // never load an external entity or DTD
#endif
    ;

}  // namespace

Result<XmlTree, ParseError> parse_xml(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return ParseError::xml("parse error at 1:1: document larger than 2 GiB");
    static const xmlSAXHandler handler_template = make_handler();
    SaxState state(text);
#if LIBXML_VERSION >= 21300
    // The context keeps a copy of the handler; the text is read in place.
    std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(xmlNewSAXParserCtxt(&handler_template, nullptr));
    if (!ctxt) return ParseError::xml("parse error at 1:1: out of memory");
    state.ctxt = ctxt.get();
    ctxt->_private = &state;
    xmlCtxtSetMaxAmplification(ctxt.get(), max_amplification);
    xmlFreeDoc(xmlCtxtReadMemory(ctxt.get(), text.data(), static_cast<int>(text.size()), nullptr, "UTF-8",
                                 parse_options));
#else
    xmlSAXHandler handler = handler_template;
    std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(
        xmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size())));
    if (!ctxt) return ParseError::xml("parse error at 1:1: out of memory");
    // The way back to 2.9 of giving a memory context SAX2 callbacks of its own:
    // its handler is replaced (and freed unless it is the shared default).
    if (ctxt->sax != reinterpret_cast<xmlSAXHandlerPtr>(&xmlDefaultSAXHandler)) xmlFree(ctxt->sax);
    ctxt->sax = &handler;
    xmlCtxtUseOptions(ctxt.get(), parse_options);
#if LIBXML_VERSION >= 21200
    xmlCtxtSetMaxAmplification(ctxt.get(), max_amplification);
#endif
    xmlSwitchEncoding(ctxt.get(), XML_CHAR_ENCODING_UTF8);
    state.ctxt = ctxt.get();
    ctxt->_private = &state;
    xmlParseDocument(ctxt.get());
#endif

    if (state.error) return ParseError::xml(*state.error);
    if (!ctxt->wellFormed)
        return ParseError::xml("parse error at " + std::to_string(xmlSAX2GetLineNumber(ctxt.get())) + ":" +
                               std::to_string(xmlSAX2GetColumnNumber(ctxt.get())) + ": not well-formed");
    return state.builder.finish();
}

}  // namespace quillmark

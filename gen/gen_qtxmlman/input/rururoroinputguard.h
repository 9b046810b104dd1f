// The one check of every document against the input limits, for the DOM
// loaders (the whole input at once) and the stream reader (block by block, as
// it reads). It follows the markup without parsing it: start and end tags,
// attributes, references, and the declarations of the internal subset, skipping
// comments, CDATA sections, processing instructions and quoted values.
// Malformed input is left to the parser to report; the check only has to see
// everything a parse would build. Expansion is allowed in proportion to the
// code units read so far, which both kinds count alike.
//
// A breach is placed where it becomes certain: just after the first character
// of the name of a start tag one level too deep, or the "=" of one attribute
// too many; just before the "&" of a reference, or the end of the name of a
// start tag whose attribute defaults, that add more text than allowed, so that
// no parser expands them. That place depends on the input alone, never on how
// it was cut into blocks.
#pragma once

#include "rururoroentitybounds.h"
#include "rururoroxmlcodeunits.h"

#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

// Told of every start tag the guard passes: the units of its "<" and ">",
// and of the "=" of each of its attributes, counted from the start of the input.
class RurUrOroStartTagObserver {
public:
    virtual void startTag(qint64 lessThan, qint64 greaterThan, const std::vector<qint64>& equalSigns) = 0;

protected:
    ~RurUrOroStartTagObserver() = default;
};

class RurUrOroInputGuard {
public:
    enum class Refusal { None, Nesting, Attributes, Expansion };

    // Input in code units of the given width and byte order; single bytes are
    // UTF-8 or an encoding that writes markup as ASCII. Leading byte order
    // marks are passed over.
    explicit RurUrOroInputGuard(const XmlCodeUnits& units);

    // Scans the next bytes of the input. Returns how many bytes of the input
    // so far may be parsed: up to the breach of a limit once there is one, and
    // otherwise all but a reference not yet ended, which may turn out to be
    // one too many.
    qint64 scan(const char* data, qint64 size);
    // The same for input the caller decoded itself, in UTF-16 units.
    qint64 scan(const QString& text);

    void observeStartTags(RurUrOroStartTagObserver* observer) { startTagObserver = observer; }

    const XmlCodeUnits& codeUnits() const { return units; }
    Refusal refusal() const { return refused; }
    // The limit a refused document breaks, in words.
    QString refusalMessage() const;

private:
    enum class State : quint8 {
        Content,
        Open,          // after "<"
        StartTagName,  // the element name, while attribute defaults are declared
        StartTag,
        Value,         // a quoted attribute value
        EndTag,
        Bang,          // after "<!", until the keyword is known
        Delimited,     // a comment, CDATA section or instruction, until its end
        Doctype,       // the document type outside its internal subset
        Quoted,        // a literal of the document type
        Subset,        // the internal subset
        Declaration,   // a markup declaration, until its ">"
        Reference,     // the name after "&"
    };

    void step(char32_t unit);
    void stepOpen(char32_t unit);
    void stepStartTag(char32_t unit);
    void countAttribute();
    void endEndTag();
    void stepBang(char32_t unit);
    void stepDelimited(char32_t unit);
    void stepDoctype(char32_t unit);
    void stepSubset(char32_t unit);
    void stepDeclaration(char32_t unit);
    void stepReference(char32_t unit);
    void beginReference(State after);
    void enterDelimited(char repeated, int count, State after);
    void endDeclaration();
    void endStartTagName();
    void collectName(char32_t unit);
    void charge(qint64 characters, int nesting, bool inContent, qint64 breach);
    qint64 parsableUnits() const;
    template <typename Unit>
    void scanUnits(const Unit* begin, qint64 count);
    template <typename Unit>
    const Unit* skipInsideTag(const Unit* at, const Unit* end, qint64 unitsBefore);

    const XmlCodeUnits units;
    State state = State::Content;
    Refusal refused = Refusal::None;

    qint64 unitsSeen = 0;
    qint64 breachUnits = 0;    // units before the breach
    qint64 referenceUnits = 0; // units before the "&" of the reference being read
    qint64 bomBytesLeft;
    char partialUnit[4] = {};
    int partialUnitSize = 0;

    // Markup.
    int depth = 0;
    int attributes = 0;
    qint64 startTagUnits = 0; // units before the "<" of the start tag being read
    RurUrOroStartTagObserver* startTagObserver = nullptr;
    std::vector<qint64> equalSigns; // of the start tag being read, when observed
    char32_t lastInTag = 0;
    char32_t quote = 0;
    State afterQuote = State::Content;
    std::string keyword;     // after "<!"
    enum class Kind : quint8 { Other, Entity, AttributeList } declarationKind = Kind::Other;
    char delimiterUnit = 0;  // a delimited section ends at ">" after this many of this unit
    int delimiterCount = 0;
    int delimiterSeen = 0;
    State afterDelimited = State::Content;
    bool inSubset = false;

    // Expansion.
    bool hasSubset = false;
    RurUrOroEntityBounds entities;
    qint64 expanded = 0;
    std::string name;        // of a reference, or of an element with attribute defaults
    bool nameTooLong = false;
    State afterReference = State::Content;
    std::string declaration; // an ENTITY or ATTLIST declaration, after its keyword
    std::unordered_map<std::string, qint64> defaultCharacters; // per element name
    qint64 mostDefaultCharacters = 0;
};

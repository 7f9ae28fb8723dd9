// The settings document through the platform's XML DOM parser.
#include <windows.h>
#include <msxml2.h>
#include <ole2.h>
#include <shlwapi.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bstr.h"
#include "ComRef.h"
#include "Exception.h"
#include "ExeConfigInfo.h"
#include "Stream.h"
#include "WideText.h"

namespace {

class EExeConfigError : public Exception {
public:
  using Exception::Exception;
};

// COM for the parser's lifetime on a thread that may not have it yet; a
// thread already in another apartment keeps its own.
class TComScope {
public:
  TComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;
  ~TComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }

private:
  HRESULT hr_;
};

void Check(HRESULT hr, const char* what) {
  if (hr != S_OK) throw EExeConfigError(std::string("ExeConfig.xml: ") + what);
}

std::wstring NodeName(IXMLDOMNode* node) {
  TBstr name;
  Check(node->get_nodeName(name.Out()), "a node without a name");
  return name.Text();
}

// The first child element of parent with this name (exact case).
void FindChildElement(IXMLDOMNode* parent, const wchar_t* name, TComRef<IXMLDOMNode>& found) {
  TComRef<IXMLDOMNodeList> children;
  Check(parent->get_childNodes(children.Out()), "unreadable children");
  long count = 0;
  Check(children->get_length(&count), "unreadable children");
  for (long i = 0; i < count; ++i) {
    TComRef<IXMLDOMNode> child;
    Check(children->get_item(i, child.Out()), "unreadable child");
    DOMNodeType type = NODE_INVALID;
    Check(child->get_nodeType(&type), "unreadable child");
    if (type == NODE_ELEMENT && NodeName(child.Get()) == name) {
      *found.Out() = child.Get();
      child.Get()->AddRef();
      return;
    }
  }
  throw EExeConfigError(std::string("ExeConfig.xml: no element ") + WideToAnsi(name));
}

// The value of the element's only child, which must be a text node.
std::string ElementText(IXMLDOMNode* root, const wchar_t* name) {
  TComRef<IXMLDOMNode> element;
  FindChildElement(root, name, element);
  TComRef<IXMLDOMNodeList> children;
  Check(element->get_childNodes(children.Out()), "unreadable children");
  long count = 0;
  Check(children->get_length(&count), "unreadable children");
  TComRef<IXMLDOMNode> text;
  DOMNodeType type = NODE_INVALID;
  if (count != 1 || children->get_item(0, text.Out()) != S_OK || text->get_nodeType(&type) != S_OK ||
      type != NODE_TEXT)
    throw EExeConfigError("ExeConfig.xml: element " + WideToAnsi(name) + " holds no single text");
  VARIANT value;
  VariantInit(&value);
  Check(text->get_nodeValue(&value), "unreadable text");
  std::wstring wide = value.vt == VT_BSTR && value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                                          : std::wstring();
  VariantClear(&value);
  return WideToAnsi(wide);
}

void SetParserProperty(IXMLDOMDocument2* document, const wchar_t* name, VARIANT value) {
  TBstr property(name);
  // A parser that lacks the switch refuses it; the check of the markup before
  // parsing stands in for it then.
  document->setProperty(property.Get(), value);
}

// The toolchain's import libraries lack this one.
constexpr IID kIidXmlDomDocument2 = {0x2933BF95, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

void ProhibitDefinitions(IXMLDOMDocument* document) {
  TComRef<IXMLDOMDocument2> settable;
  if (document->QueryInterface(kIidXmlDomDocument2, reinterpret_cast<void**>(settable.Out())) != S_OK) return;
  VARIANT prohibit;
  VariantInit(&prohibit);
  prohibit.vt = VT_BOOL;
  prohibit.boolVal = VARIANT_TRUE;
  SetParserProperty(settable.Get(), L"ProhibitDTD", prohibit);
  VARIANT depth;
  VariantInit(&depth);
  depth.vt = VT_I4;
  depth.lVal = kMaxSettingsDepth;
  SetParserProperty(settable.Get(), L"MaxElementDepth", depth);
}

}  // namespace

void TExeConfigInfo::LoadFromStream(TStream& stream) {
  std::vector<BYTE> bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
  // Checked by us first: the parser's own switches for these are not honoured
  // by every version of it that a reader may meet.
  if (std::optional<std::string> unsafe =
          UnsafeSettingsMarkup(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    throw EExeConfigError("ExeConfig.xml: refused, " + *unsafe);

  TComScope com;
  CLSID parser{};
  Check(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &parser), "no XML parser");
  TComRef<IXMLDOMDocument> document;
  Check(CoCreateInstance(parser, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                         reinterpret_cast<void**>(document.Out())),
        "no XML parser");
  document->put_async(VARIANT_FALSE);
  document->put_validateOnParse(VARIANT_FALSE);
  document->put_resolveExternals(VARIANT_FALSE);
  ProhibitDefinitions(document.Get());

  TComRef<IStream> source;
  *source.Out() = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  if (!source.Get()) throw EExeConfigError("ExeConfig.xml: out of memory");
  VARIANT input;
  VariantInit(&input);
  input.vt = VT_UNKNOWN;
  input.punkVal = source.Get();
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (document->load(input, &loaded) != S_OK || loaded != VARIANT_TRUE)
    throw EExeConfigError("ExeConfig.xml: no well-formed XML");

  TComRef<IXMLDOMNode> documentNode;
  Check(document->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(documentNode.Out())), "no document");
  TComRef<IXMLDOMNode> root;
  FindChildElement(documentNode.Get(), L"ExeConfig", root);

  ExeCaption = ElementText(root.Get(), L"ExeCaption");
  WindowOpenMode = ConfigInteger(ElementText(root.Get(), L"WindowOpenMode"), 2);
  WindowOpenWidth = ConfigInteger(ElementText(root.Get(), L"WindowOpenWidth"), 800);
  WindowOpenHeight = ConfigInteger(ElementText(root.Get(), L"WindowOpenHeight"), 600);
}

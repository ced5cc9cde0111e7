// The script the query library loads into each thread's JavaScript engine.
// It exposes three functions on the global object named by the bundler
// (TollmarshXQuery): buildDocument, evaluate and check. Each returns
// { error: message } instead of throwing, so the caller sees every failure
// the same way whatever was thrown.
import './shims.js';
import { evaluateXPath, evaluateXPathToAsyncIterator } from 'fontoxpath';
import { Document } from 'slimdom';

// Tokens of the flat document stream written by the C++ side. A flat stream
// (rather than nested arrays) keeps JSON.parse and the builder free of
// recursion, so pages nested tens of thousands of levels deep still load.
const OPEN = 1;     // OPEN, name, attribute count, name, value, ...
const CLOSE = 2;
const TEXT = 3;     // TEXT, data
const COMMENT = 4;  // COMMENT, data

// Elements carry their position in document order; the C++ side keeps the
// matching libxml2 nodes in a vector with the same order.
const INDEX = '__tmIndex';

function safeName(name) {
    let s = String(name).replace(/[^A-Za-z0-9._-]/g, '_');
    if (!/^[A-Za-z_]/.test(s)) s = '_' + s;
    return s;
}

function createElement(doc, name) {
    try {
        return doc.createElement(name);
    } catch (e) {
        // HTML allows tag names that are not XML names; keep the element.
        return doc.createElement(safeName(name));
    }
}

// Elements join their parent when they close, so every insertion is into a
// parent that is not yet attached: the DOM's ancestor check then stays short
// and deep pages build in linear time (top-down insertion is quadratic).
// The stream arrives in chunks (JSON arrays) that may end between any two
// tokens; each chunk is parsed when the previous one is used up and dropped.
function build(chunks) {
    let tokens = [];
    let chunk = 0;
    let i = 0;
    const more = function () {
        while (i >= tokens.length) {
            if (chunk >= chunks.length) return false;
            tokens = JSON.parse(chunks[chunk]);
            chunks[chunk++] = null;
            i = 0;
        }
        return true;
    };
    const take = function () {
        if (!more()) throw new Error('truncated document tokens');
        return tokens[i++];
    };
    const doc = new Document();
    const open = [];
    let index = 0;
    const parent = function () { return open.length ? open[open.length - 1] : doc; };
    while (i < tokens.length || more()) {
        const token = tokens[i++];
        if (token === OPEN) {
            const element = createElement(doc, i < tokens.length ? tokens[i++] : take());
            element[INDEX] = index++;
            const attributeCount = i < tokens.length ? tokens[i++] : take();
            for (let a = 0; a < attributeCount; ++a) {
                const name = i < tokens.length ? tokens[i++] : take();
                const value = i < tokens.length ? tokens[i++] : take();
                try {
                    element.setAttribute(name, value);
                } catch (e) {
                    // An attribute name XML cannot hold is left out.
                }
            }
            open.push(element);
        } else if (token === CLOSE) {
            const element = open.pop();
            parent().appendChild(element);
        } else if (token === TEXT) {
            parent().appendChild(doc.createTextNode(i < tokens.length ? tokens[i++] : take()));
        } else if (token === COMMENT) {
            parent().appendChild(doc.createComment(i < tokens.length ? tokens[i++] : take()));
        } else {
            throw new Error('bad document token ' + token);
        }
    }
    if (open.length) throw new Error('unbalanced document tokens');
    return doc;
}

function languageOption(xquery) {
    return { language: xquery ? evaluateXPath.XQUERY_3_1_LANGUAGE : evaluateXPath.XPATH_3_1_LANGUAGE };
}

// Result kinds: n = element (value: index), s = string, d = number, b = boolean.
function collect(item, kinds, values) {
    if (item === null || item === undefined) return;
    const type = typeof item;
    if (type === 'string') { kinds.push('s'); values.push(item); return; }
    if (type === 'number') { kinds.push('d'); values.push(item); return; }
    if (type === 'boolean') { kinds.push('b'); values.push(item); return; }
    if (type === 'function') return;  // function items have no value to extract
    if (Array.isArray(item)) {
        for (let k = 0; k < item.length; ++k) collect(item[k], kinds, values);
        return;
    }
    if (item instanceof Date) { kinds.push('s'); values.push(item.toISOString()); return; }
    const nodeType = item.nodeType;
    if (nodeType === 1) {
        if (typeof item[INDEX] === 'number') { kinds.push('n'); values.push(item[INDEX]); }
        else { kinds.push('s'); values.push(item.textContent || ''); }  // built by the query itself
        return;
    }
    if (nodeType === 9) {
        // The document stands for its root element, so every extract mode applies.
        if (item.documentElement) collect(item.documentElement, kinds, values);
        return;
    }
    if (nodeType === 2) { kinds.push('s'); values.push(item.value); return; }
    if (nodeType === 3 || nodeType === 4 || nodeType === 7 || nodeType === 8) {
        kinds.push('s'); values.push(item.data); return;
    }
    if (nodeType === 11) { kinds.push('s'); values.push(item.textContent || ''); return; }
    if (nodeType !== undefined) return;
    // Durations and the like print their lexical form; maps (plain objects) are skipped.
    if (item.toString !== Object.prototype.toString) { kinds.push('s'); values.push(String(item)); }
}

function failure(e) {
    const message = e && e.message !== undefined ? e.message : e;
    return { error: String(message) };
}

export function buildDocument(chunks) {
    try {
        return build(chunks);
    } catch (e) {
        return failure(e);
    }
}

function run(query, doc, xquery) {
    const items = evaluateXPath(query, doc, null, null, evaluateXPath.ALL_RESULTS_TYPE, languageOption(xquery));
    const kinds = [];
    const values = [];
    collect(items, kinds, values);
    return { kinds: kinds.join(''), values: values };
}

export function evaluate(query, doc, xquery) {
    try {
        return run(query, doc, xquery);
    } catch (e) {
        return failure(e);
    }
}

// Compiles the query without reading any result: parsing finds syntax errors,
// static analysis unknown functions and undeclared variables. The compiler may
// fold constant parts, so errors other than static ones can come back too.
export function check(query, xquery) {
    try {
        evaluateXPathToAsyncIterator(query, new Document(), null, null, languageOption(xquery));
        return true;
    } catch (e) {
        return failure(e);
    }
}

// Changes to the JavaScript engine's built-ins that the query script needs.
// Imported first by entry.js.

// The engine's native Array.prototype.sort does not notice when a comparator
// is stopped by the engine's interrupt (our time limit) and then reads an
// invalid value and crashes. fontoxpath sorts nodes with a comparator all the
// time, so sorting is done here in script, where an interrupt unwinds cleanly.
// Bottom-up merge sort: stable, as the language requires, and free of recursion.

function defaultCompare(a, b) {
    const x = String(a);
    const y = String(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

function mergeSort(values, compare) {
    const length = values.length;
    let from = values;
    let to = new Array(length);
    for (let width = 1; width < length; width *= 2) {
        for (let left = 0; left < length; left += 2 * width) {
            const middle = Math.min(left + width, length);
            const right = Math.min(left + 2 * width, length);
            let i = left;
            let j = middle;
            let k = left;
            // Runs already in order (nodes mostly arrive in document order) are copied as they are.
            if (j < right && compare(from[j - 1], from[j]) <= 0) {
                while (k < right) to[k++] = from[i++];
                continue;
            }
            while (i < middle && j < right) to[k++] = compare(from[j], from[i]) < 0 ? from[j++] : from[i++];
            while (i < middle) to[k++] = from[i++];
            while (j < right) to[k++] = from[j++];
        }
        const swap = from;
        from = to;
        to = swap;
    }
    return from;
}

function sort(comparator) {
    if (comparator !== undefined && typeof comparator !== 'function') {
        throw new TypeError('The comparison function must be either a function or undefined');
    }
    const compare = comparator === undefined ? defaultCompare : function (a, b) {
        const result = +comparator(a, b);
        return result !== result ? 0 : result;  // NaN counts as equal
    };
    const object = Object(this);
    const length = object.length >>> 0;
    const values = [];
    let undefinedCount = 0;
    for (let i = 0; i < length; ++i) {
        if (!(i in object)) continue;
        const value = object[i];
        if (value === undefined) ++undefinedCount;
        else values.push(value);
    }
    const sorted = mergeSort(values, compare);
    // Sorted values first, then undefined values, then the holes.
    let index = 0;
    for (; index < sorted.length; ++index) object[index] = sorted[index];
    for (let u = 0; u < undefinedCount; ++u) object[index++] = undefined;
    for (; index < length; ++index) delete object[index];
    return object;
}

Object.defineProperty(Array.prototype, 'sort', { value: sort, writable: true, configurable: true, enumerable: false });
